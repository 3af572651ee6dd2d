#include "render/PolygonRecord.h"
#include <algorithm>

namespace {

// A flat bounding box (all points on one line) has no extent to divide by;
// its texture coordinate stays at 0.
float fraction(float value, float low, float high)
{
    return high > low ? (value - low) / (high - low) : 0.0f;
}

} // namespace

PolygonRecord PolygonRecord::fromPoints(const float* points, int pointCount)
{
    PolygonRecord record;
    if (points == nullptr || pointCount <= 0)
        return record;
    const auto entries = static_cast<std::size_t>(pointCount) + 1;
    record.x.assign(entries, 0.0f);
    record.y.assign(entries, 0.0f);
    record.u.assign(entries, 0.0f);
    record.v.assign(entries, 0.0f);
    float sumX = 0.0f;
    float sumY = 0.0f;
    float minX = points[0];
    float maxX = points[0];
    float minY = points[1];
    float maxY = points[1];
    for (int i = 0; i < pointCount; ++i) {
        const float px = points[i * 2];
        const float py = points[i * 2 + 1];
        record.x[i + 1] = px;
        record.y[i + 1] = py;
        sumX += px;
        sumY += py;
        minX = std::min(minX, px);
        maxX = std::max(maxX, px);
        minY = std::min(minY, py);
        maxY = std::max(maxY, py);
    }
    record.x[0] = sumX / static_cast<float>(pointCount);
    record.y[0] = sumY / static_cast<float>(pointCount);
    for (std::size_t i = 0; i < entries; ++i) {
        record.u[i] = fraction(record.x[i], minX, maxX);
        record.v[i] = fraction(record.y[i], minY, maxY);
    }
    record.count = pointCount + 1;
    return record;
}
