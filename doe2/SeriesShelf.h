// Every hourly series a run has read since it last began afresh, each one
// year of 8760 values, so that records of one series read it once however
// they alternate with others.  A results folder's series fill about 8 MB:
// they are kept side by side in large blocks whose pages the system
// provides at once, not in a heap allocation each.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "PopulatedMemory.h"
#include "HourlySeriesKey.h"
#include "d2result.h"

class SeriesShelf {
public:
    // Series per block: as many as fill 2 MB, one huge page where the
    // system has them.
    static constexpr size_t kSeriesPerBlock = (size_t(2) << 20) / (D2R_HOURS_PER_YEAR * sizeof(float));

    // The year kept for key, or null.
    const float *Find(const HourlySeriesKey &key) const;

    // Keeps a copy of the year at pfYear for key (replacing what key had);
    // false, with nothing kept, when no memory is left for it.
    bool Put(const HourlySeriesKey &key, const float *pfYear);

    void Clear();
    size_t Count() const { return m_places.size(); }

private:
    float *NextPlace();

    std::map<HourlySeriesKey, float *> m_places;
    std::vector<std::unique_ptr<PopulatedMemory>> m_blocks;
    size_t m_iUsedInLastBlock = 0;
};
