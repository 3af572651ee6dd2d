#pragma once
#include <vector>

// A stored polygon for fan drawing: entry 0 is the centre (mean of the
// points), entries 1..count−1 the points in order; u, v map the bounding box
// onto 0..1.
struct PolygonRecord {
    std::vector<float> x;
    std::vector<float> y;
    std::vector<float> u;
    std::vector<float> v;
    int count = 0; // entries, centre included

    // count points as (x, y) pairs; fewer than one point gives a record of
    // count 0 that draws nothing.
    static PolygonRecord fromPoints(const float* points, int pointCount);
};
