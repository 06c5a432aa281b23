#include "game/lever_puzzle.h"

namespace {

constexpr float OpeningDelaySeconds = 1.0f;

// New position of a lever at `current` whose lower neighbour stands at `lower`.
int32_t nextPosition(int32_t lower, int32_t current)
{
    if (lower == 0) {
        // Neighbour home: the lever swings between 1 and 2.
        if (current == 1) return 2;
        if (current == 2) return 1;
    } else if (lower == 2) {
        // Neighbour fully out: the lever swings between 0 and 1.
        if (current == 0) return 1;
        if (current == 1) return 0;
    }
    // Neighbour part-way out locks the lever.
    return current;
}

}  // namespace

float leverOffset(int32_t position)
{
    switch (position) {
    case 1:
    case 3: return 0.1f;
    case 2: return 0.2f;
    default: return 0.0f;
    }
}

void LeverPuzzle::clickLever(int index)
{
    if (index < 0 || index >= LeverCount) return;
    if (index == 0) {
        levers_[0] = (levers_[0] + 1) % 4;
        return;
    }
    const int32_t before = levers_[index];
    levers_[index] = nextPosition(levers_[index - 1], before);
    if (index == LeverCount - 1 && before == 1 && levers_[index] == 2 && phase_ == Playing)
        phase_ = JustSolved;
}

bool LeverPuzzle::advance(float now)
{
    if (phase_ == JustSolved) {
        phase_ = OpeningDelay;
        solvedTime_ = now;
        return false;
    }
    if (phase_ == OpeningDelay && solvedTime_ + OpeningDelaySeconds <= now) {
        phase_ = ChestOpen;
        return true;
    }
    return false;
}

void LeverPuzzle::reset()
{
    for (int32_t& position : levers_) position = 0;
    phase_ = Playing;
}
