// SPDX-License-Identifier: MIT
#include "core/slidingsums.h"

void SlidingSums::push(const WindTerms &terms)
{
    m_newerTerms.push_back(terms);
    m_newerTotal += terms;
}

void SlidingSums::popOldest()
{
    if (m_olderTotals.empty()) {
        if (m_newerTerms.empty())
            return;
        WindTerms total;
        for (auto it = m_newerTerms.rbegin(); it != m_newerTerms.rend(); ++it) {
            total += *it;
            m_olderTotals.push_back(total);
        }
        m_newerTerms.clear();
        m_newerTotal = {};
    }
    m_olderTotals.pop_back();
}

void SlidingSums::clear()
{
    m_olderTotals.clear();
    m_newerTerms.clear();
    m_newerTotal = {};
}

WindTerms SlidingSums::total() const
{
    WindTerms total = m_newerTotal;
    if (!m_olderTotals.empty())
        total += m_olderTotals.back();
    return total;
}
