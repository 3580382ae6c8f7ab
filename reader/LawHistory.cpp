#include "reader/LawHistory.h"

void CLawHistory::Visit(int edition, int lawid, int leavingScroll) {
    if (lawid == 0)
        return;
    CTrack& track = Track(edition);
    if (track.m_nIndex >= 0) {
        Entry& current = track.m_entries[static_cast<std::size_t>(track.m_nIndex)];
        current.m_nScroll = leavingScroll;
        if (current.m_nLawId == lawid)
            return;
    }
    track.m_entries.resize(static_cast<std::size_t>(track.m_nIndex + 1));
    track.m_entries.push_back(Entry{lawid, 0});
    if (track.m_entries.size() > kMaxEntries)
        track.m_entries.erase(track.m_entries.begin());
    track.m_nIndex = static_cast<int>(track.m_entries.size()) - 1;
}

void CLawHistory::Jump(int edition, int lawid, int leavingScroll) {
    CTrack& track = Track(edition);
    if (lawid == 0 || track.m_nIndex < 0 ||
        track.m_entries[static_cast<std::size_t>(track.m_nIndex)].m_nLawId != lawid) {
        Visit(edition, lawid, leavingScroll);
        return;
    }
    track.m_entries[static_cast<std::size_t>(track.m_nIndex)].m_nScroll = leavingScroll;
    track.m_entries.resize(static_cast<std::size_t>(track.m_nIndex + 1));
    track.m_entries.push_back(Entry{lawid, 0});
    if (track.m_entries.size() > kMaxEntries)
        track.m_entries.erase(track.m_entries.begin());
    track.m_nIndex = static_cast<int>(track.m_entries.size()) - 1;
}

const CLawHistory::Entry* CLawHistory::Step(int edition, int leavingScroll, int delta) {
    CTrack& track = Track(edition);
    const int next = track.m_nIndex + delta;
    if (track.m_nIndex < 0 || next < 0 || next >= static_cast<int>(track.m_entries.size()))
        return nullptr;
    track.m_entries[static_cast<std::size_t>(track.m_nIndex)].m_nScroll = leavingScroll;
    track.m_nIndex = next;
    return &track.m_entries[static_cast<std::size_t>(next)];
}

const CLawHistory::Entry* CLawHistory::Back(int edition, int leavingScroll) {
    return Step(edition, leavingScroll, -1);
}

const CLawHistory::Entry* CLawHistory::Forward(int edition, int leavingScroll) {
    return Step(edition, leavingScroll, +1);
}

bool CLawHistory::CanGoBack(int edition) const {
    return Track(edition).m_nIndex > 0;
}

bool CLawHistory::CanGoForward(int edition) const {
    const CTrack& track = Track(edition);
    return track.m_nIndex >= 0 && track.m_nIndex + 1 < static_cast<int>(track.m_entries.size());
}

const CLawHistory::Entry* CLawHistory::Current(int edition) const {
    const CTrack& track = Track(edition);
    return track.m_nIndex < 0 ? nullptr
                              : &track.m_entries[static_cast<std::size_t>(track.m_nIndex)];
}

int CLawHistory::LeftScroll(int edition, int lawid) const {
    const CTrack& track = Track(edition);
    const int count = static_cast<int>(track.m_entries.size());
    // Nearest first, looking back before forward at the same distance.
    for (int distance = 1; distance < count; ++distance)
        for (int index : {track.m_nIndex - distance, track.m_nIndex + distance})
            if (index >= 0 && index < count &&
                track.m_entries[static_cast<std::size_t>(index)].m_nLawId == lawid)
                return track.m_entries[static_cast<std::size_t>(index)].m_nScroll;
    return -1;
}

void CLawHistory::Clear() {
    m_tracks[0] = CTrack{};
    m_tracks[1] = CTrack{};
}
