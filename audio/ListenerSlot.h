#pragma once
#include <atomic>
#include <thread>

// Holds the loop listener for the audio thread. Replacing it waits until a
// call into the old one has returned, so the game may destroy its listener
// right after removing it; the audio thread itself never waits.
template <typename Listener>
class ListenerSlot {
public:
    // Game thread. When called from inside the listener (on the audio thread)
    // it cannot wait for itself and returns at once.
    void set(Listener* listener)
    {
        current.store(listener, std::memory_order_seq_cst);
        if (insideCall())
            return;
        // Sequentially consistent: either the audio thread sees the new
        // pointer, or this load sees that it is inside a call.
        while (calling.load(std::memory_order_seq_cst))
            pause();
    }

    // Audio thread: calls `operation` on the listener, if any.
    template <typename Operation>
    void call(Operation operation)
    {
        calling.store(true, std::memory_order_seq_cst);
        Listener* listener = current.load(std::memory_order_seq_cst);
        if (listener) {
            insideFlag() = true;
            operation(*listener);
            insideFlag() = false;
        }
        calling.store(false, std::memory_order_seq_cst);
    }

    Listener* get() const { return current.load(std::memory_order_acquire); }

private:
    static bool& insideFlag()
    {
        thread_local bool inside = false;
        return inside;
    }
    static bool insideCall() { return insideFlag(); }
    // The game thread only waits out one short onLoopStart; let the audio
    // thread have the core meanwhile.
    static void pause() { std::this_thread::yield(); }

    std::atomic<Listener*> current{nullptr};
    std::atomic<bool> calling{false};
};
