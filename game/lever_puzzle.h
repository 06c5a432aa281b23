// The lever puzzle: six lever positions, the click rule, the game phase with
// its one-second opening delay, and the reset. Needs no window, device or
// clock: the caller passes the application time in. Nothing here can fail.
//
// Lever n (index n-1) may leave home only while lever n-1 stands at 2 and may
// reach 2 only while lever n-1 stands at 0; lever 1 cycles 0-1-2-3-0 freely.
// Sliding lever 6 out therefore takes a recursive procedure of 42 clicks.
#pragma once

#include <cstdint>

enum PuzzlePhase : int32_t {
    Playing = 0,       // chest closed, levers respond
    JustSolved = 1,    // lever 6 just reached 2; the next update starts the delay
    OpeningDelay = 2,  // one second before the chest opens; levers still respond
    ChestOpen = 3,     // celebration; only reset leaves this phase
};

// Slide distance in world units of a lever at the given position.
float leverOffset(int32_t position);

class LeverPuzzle {
public:
    static constexpr int LeverCount = 6;

    // Moves lever `index` (0 to 5) by at most one step; a blocked click, or an
    // index outside 0..5, changes nothing.
    void clickLever(int index);

    // One phase step per call; true exactly when this call opened the chest.
    bool advance(float now);

    // All levers home and back to Playing; solvedTime is left as it was.
    void reset();

    int32_t lever(int index) const { return levers_[index]; }
    PuzzlePhase phase() const { return phase_; }
    float solvedTime() const { return solvedTime_; }

private:
    int32_t levers_[LeverCount] = {0, 0, 0, 0, 0, 0};
    PuzzlePhase phase_ = Playing;
    float solvedTime_ = 0.0f;
};
