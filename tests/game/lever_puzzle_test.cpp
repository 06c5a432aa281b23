#include "game/lever_puzzle.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <queue>
#include <vector>

namespace {

using Levers = std::array<int32_t, LeverPuzzle::LeverCount>;

Levers positions(const LeverPuzzle& p)
{
    Levers l{};
    for (int i = 0; i < LeverPuzzle::LeverCount; ++i) l[i] = p.lever(i);
    return l;
}

// Breadth-first search over the real click rule from the start position:
// distance to every reachable state and the number of shortest paths to it.
struct Search {
    struct Node {
        int distance;
        uint64_t shortestPaths;
        Levers parent;
        int parentClick;
    };
    std::map<Levers, Node> nodes;

    Search()
    {
        LeverPuzzle start;
        std::queue<LeverPuzzle> frontier;
        nodes[positions(start)] = {0, 1, {}, -1};
        frontier.push(start);
        while (!frontier.empty()) {
            const LeverPuzzle here = frontier.front();
            frontier.pop();
            const Node& from = nodes[positions(here)];
            for (int i = 0; i < LeverPuzzle::LeverCount; ++i) {
                LeverPuzzle next = here;
                next.clickLever(i);
                const Levers key = positions(next);
                auto found = nodes.find(key);
                if (found == nodes.end()) {
                    nodes[key] = {from.distance + 1, from.shortestPaths, positions(here), i};
                    frontier.push(next);
                } else if (found->second.distance == from.distance + 1) {
                    found->second.shortestPaths += from.shortestPaths;
                }
            }
        }
    }

    // Nearest state with lever `index` at 2.
    const std::pair<const Levers, Node>* nearestWithLeverOut(int index) const
    {
        const std::pair<const Levers, Node>* best = nullptr;
        for (const auto& entry : nodes)
            if (entry.first[index] == 2 && (!best || entry.second.distance < best->second.distance))
                best = &entry;
        return best;
    }

    std::vector<int> pathTo(Levers target) const
    {
        std::vector<int> clicks;
        for (const Node* n = &nodes.at(target); n->parentClick >= 0; n = &nodes.at(n->parent))
            clicks.insert(clicks.begin(), n->parentClick);
        return clicks;
    }
};

const Search& search()
{
    static const Search s;
    return s;
}

void clickAll(LeverPuzzle& p, const std::vector<int>& levers)
{
    for (int n : levers) p.clickLever(n - 1);
}

const std::vector<int> solution = {1, 1, 2, 1, 1, 2, 3, 2, 1, 1, 2, 3, 4, 3, 2, 1, 1, 2, 3, 4, 5,
                                   4, 3, 2, 1, 1, 2, 3, 4, 5, 6, 5, 4, 3, 2, 1, 1, 2, 3, 4, 5, 6};

// A puzzle that has just been solved with the shortest sequence.
LeverPuzzle solved()
{
    LeverPuzzle p;
    clickAll(p, solution);
    return p;
}

}  // namespace

TEST(LeverPuzzleSearch, AllCombinationsOfPositionsAreReachable)
{
    EXPECT_EQ(search().nodes.size(), 4u * 3 * 3 * 3 * 3 * 3);
}

TEST(LeverPuzzleSearch, ShortestSolutionIsUniqueAndTakes42Clicks)
{
    const auto* target = search().nearestWithLeverOut(5);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->second.distance, 42);
    EXPECT_EQ(target->second.shortestPaths, 1u);
    EXPECT_EQ(target->first, (Levers{0, 2, 0, 2, 0, 2}));

    std::vector<int> clicks = search().pathTo(target->first);
    for (int& c : clicks) c += 1;  // lever numbers, not indices
    EXPECT_EQ(clicks, solution);
}

TEST(LeverPuzzleSearch, LeverNFirstReachesFarPositionAfterNTimesNPlusOneClicks)
{
    for (int n = 1; n <= LeverPuzzle::LeverCount; ++n) {
        const auto* target = search().nearestWithLeverOut(n - 1);
        ASSERT_NE(target, nullptr) << "lever " << n;
        EXPECT_EQ(target->second.distance, n * (n + 1)) << "lever " << n;
    }
}

TEST(LeverPuzzleRules, ShortestSolutionEndsJustSolved)
{
    const LeverPuzzle p = solved();
    EXPECT_EQ(positions(p), (Levers{0, 2, 0, 2, 0, 2}));
    EXPECT_EQ(p.phase(), JustSolved);
}

TEST(LeverPuzzleRules, OnlyLeverOneMovesFromTheStart)
{
    for (int i = 1; i < LeverPuzzle::LeverCount; ++i) {
        LeverPuzzle p;
        p.clickLever(i);
        EXPECT_EQ(positions(p), Levers{}) << "lever index " << i;
    }
    LeverPuzzle p;
    const int32_t cycle[] = {1, 2, 3, 0};
    for (int32_t expected : cycle) {
        p.clickLever(0);
        EXPECT_EQ(p.lever(0), expected);
    }
}

TEST(LeverPuzzleRules, LeverTwoIsLockedWhileLeverOneIsPartWayOut)
{
    LeverPuzzle p;
    p.clickLever(0);  // lever 1 at 1
    p.clickLever(1);
    EXPECT_EQ(p.lever(1), 0);
    clickAll(p, {1, 2});  // lever 1 at 2: lever 2 goes to 1
    ASSERT_EQ(p.lever(1), 1);
    p.clickLever(0);  // lever 1 at 3
    p.clickLever(1);
    EXPECT_EQ(p.lever(1), 1);
}

TEST(LeverPuzzleRules, LeverSwingsWithinTheHalfItsNeighbourAllows)
{
    LeverPuzzle p;
    clickAll(p, {1, 1, 2});  // lever 1 at 2, lever 2 at 1
    p.clickLever(1);
    EXPECT_EQ(p.lever(1), 0) << "neighbour out: 1 -> 0";
    p.clickLever(1);
    EXPECT_EQ(p.lever(1), 1) << "neighbour out: 0 -> 1";
    clickAll(p, {1, 1});  // lever 1 home
    p.clickLever(1);
    EXPECT_EQ(p.lever(1), 2) << "neighbour home: 1 -> 2";
    p.clickLever(1);
    p.clickLever(1);
    EXPECT_EQ(p.lever(1), 2) << "neighbour home: 2 -> 1 -> 2";
    clickAll(p, {1, 1});  // lever 1 out: lever 2 at 2 is stuck
    p.clickLever(1);
    EXPECT_EQ(p.lever(1), 2);
    EXPECT_EQ(p.lever(0), 2) << "a click never moves the neighbour";
}

TEST(LeverPuzzleRules, IndexOutsideTheSixLeversIsIgnored)
{
    LeverPuzzle p;
    p.clickLever(-1);
    p.clickLever(6);
    EXPECT_EQ(positions(p), Levers{});
}

TEST(LeverPuzzleRules, SlideDistanceFollowsPosition)
{
    EXPECT_EQ(leverOffset(0), 0.0f);
    EXPECT_EQ(leverOffset(1), 0.1f);
    EXPECT_EQ(leverOffset(2), 0.2f);
    EXPECT_EQ(leverOffset(3), 0.1f);
    EXPECT_EQ(leverOffset(4), 0.0f);
    EXPECT_EQ(leverOffset(-1), 0.0f);
}

TEST(LeverPuzzlePhase, OpensOnceAfterOneSecondDelay)
{
    LeverPuzzle p = solved();
    EXPECT_FALSE(p.advance(5.0f));
    EXPECT_EQ(p.phase(), OpeningDelay);
    EXPECT_EQ(p.solvedTime(), 5.0f);
    EXPECT_FALSE(p.advance(5.5f));
    EXPECT_FALSE(p.advance(5.99f));
    EXPECT_EQ(p.phase(), OpeningDelay);
    EXPECT_TRUE(p.advance(6.0f));
    EXPECT_EQ(p.phase(), ChestOpen);
    EXPECT_FALSE(p.advance(7.0f)) << "opening is reported once";
}

TEST(LeverPuzzlePhase, DelayStartsAtTheFirstUpdateNotTheClick)
{
    // Even a late first update only starts the delay; the chest opens at the
    // second update at the earliest.
    LeverPuzzle p = solved();
    EXPECT_FALSE(p.advance(100.0f));
    EXPECT_TRUE(p.advance(101.0f));
}

TEST(LeverPuzzlePhase, ResolvingDuringTheDelayChangesNothingButTheLever)
{
    LeverPuzzle p = solved();
    p.clickLever(5);
    EXPECT_EQ(p.lever(5), 1);
    EXPECT_EQ(p.phase(), JustSolved) << "moving lever 6 back does not stop the opening";
    p.advance(2.0f);
    p.clickLever(5);
    p.clickLever(5);
    EXPECT_EQ(p.lever(5), 1);
    p.clickLever(5);
    EXPECT_EQ(p.lever(5), 2);
    EXPECT_EQ(p.phase(), OpeningDelay);
    EXPECT_EQ(p.solvedTime(), 2.0f);
    EXPECT_TRUE(p.advance(3.0f));
}

TEST(LeverPuzzlePhase, ResetFromEveryPhaseGivesTheStart)
{
    struct Case {
        std::vector<int> clicks;
        std::vector<float> updates;
        PuzzlePhase phase;
    };
    const Case cases[] = {
        {{1, 1, 2}, {}, Playing},
        {solution, {}, JustSolved},
        {solution, {1.0f}, OpeningDelay},
        {solution, {1.0f, 2.0f}, ChestOpen},
    };
    for (const Case& c : cases) {
        LeverPuzzle p;
        clickAll(p, c.clicks);
        for (float t : c.updates) p.advance(t);
        ASSERT_EQ(p.phase(), c.phase);
        p.reset();
        EXPECT_EQ(positions(p), Levers{}) << "from phase " << c.phase;
        EXPECT_EQ(p.phase(), Playing) << "from phase " << c.phase;
    }
}

TEST(LeverPuzzlePhase, ResetKeepsSolvedTimeAndCanBeSolvedAgain)
{
    LeverPuzzle p = solved();
    p.advance(4.0f);
    p.reset();
    EXPECT_EQ(p.solvedTime(), 4.0f);
    clickAll(p, solution);
    EXPECT_EQ(p.phase(), JustSolved);
    p.advance(9.0f);
    EXPECT_EQ(p.solvedTime(), 9.0f);
}
