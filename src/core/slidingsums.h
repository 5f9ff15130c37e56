// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

#include <vector>

// What a sample adds to a period's sums: its speed and its unit vector
// (north = cos, east = sin of the direction).
struct WindTerms
{
    double speed = 0;
    double north = 0;
    double east = 0;

    WindTerms &operator+=(const WindTerms &other)
    {
        speed += other.speed;
        north += other.north;
        east += other.east;
        return *this;
    }
};

// Sums over a queue of terms: pushed at the back, dropped at the front.
//
// Nothing is ever subtracted, so the sums cannot drift however long the
// queue slides: a running sum that subtracts what leaves keeps the rounding
// error of every value that ever passed through it, and after a large value
// has left, the small ones that remain may be lost in that error. Here the
// older part of the queue holds, for each entry, the sum of it and of every
// newer entry of that part, so dropping the oldest is popping its total; the
// newer part keeps its terms and one sum. When the older part runs out, the
// newer part is summed afresh into it, so every entry is summed twice at most
// and pushing or dropping costs O(1) amortised.
class SlidingSums
{
public:
    void push(const WindTerms &terms);
    void popOldest();
    void clear();

    qsizetype size() const { return qsizetype(m_olderTotals.size() + m_newerTerms.size()); }
    WindTerms total() const;

private:
    // The oldest entry's total is at the back, so dropping it is pop_back().
    std::vector<WindTerms> m_olderTotals;
    std::vector<WindTerms> m_newerTerms; // oldest first
    WindTerms m_newerTotal;
};
