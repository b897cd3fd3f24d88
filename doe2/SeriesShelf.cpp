#include "SeriesShelf.h"

#include <algorithm>

namespace {

constexpr size_t kBlockBytes = SeriesShelf::kSeriesPerBlock * D2R_HOURS_PER_YEAR * sizeof(float);

}  // namespace

const float *SeriesShelf::Find(const HourlySeriesKey &key) const
{
    const auto found = m_places.find(key);
    return found == m_places.end() ? nullptr : found->second;
}

float *SeriesShelf::NextPlace()
{
    if (m_blocks.empty() || m_iUsedInLastBlock == kSeriesPerBlock) {
        auto block = std::make_unique<PopulatedMemory>(kBlockBytes);
        if (!block->Data())
            return nullptr;
        m_blocks.push_back(std::move(block));
        m_iUsedInLastBlock = 0;
    }
    return static_cast<float *>(m_blocks.back()->Data()) + m_iUsedInLastBlock++ * D2R_HOURS_PER_YEAR;
}

bool SeriesShelf::Put(const HourlySeriesKey &key, const float *pfYear)
{
    // A key already kept keeps its place: its year is written over.
    const auto found = m_places.find(key);
    float *pPlace = found != m_places.end() ? found->second : NextPlace();
    if (!pPlace)
        return false;
    std::copy(pfYear, pfYear + D2R_HOURS_PER_YEAR, pPlace);
    if (found == m_places.end())
        m_places.emplace(key, pPlace);
    return true;
}

void SeriesShelf::Clear()
{
    m_places.clear();
    m_blocks.clear();
    m_iUsedInLastBlock = 0;
}
