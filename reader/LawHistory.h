#pragma once

#include <cstddef>
#include <vector>

// Back and forward over the laws shown, one track per edition. Each entry keeps the scroll
// position the page had when it was left, so that coming back puts the reader where they were.
class CLawHistory {
public:
    struct Entry {
        int m_nLawId = 0;
        int m_nScroll = 0;
    };
    static constexpr std::size_t kMaxEntries = 200;

    // The user has shown `lawid`: it becomes the current entry and the forward entries are
    // dropped. `leavingScroll` is the scroll position of the law shown until now. Showing
    // the current law again only keeps its scroll position; lawid 0 is no law and ignored.
    void Visit(int edition, int lawid, int leavingScroll);
    // The user has followed a link to another place of the law shown (本法第十条, 前款):
    // a new entry for the same law, so that Back returns to the place left.
    void Jump(int edition, int lawid, int leavingScroll);
    // Steps back or forward; the entry now current, or nullptr when there is none that way.
    const Entry* Back(int edition, int leavingScroll);
    const Entry* Forward(int edition, int leavingScroll);

    bool CanGoBack(int edition) const;
    bool CanGoForward(int edition) const;
    const Entry* Current(int edition) const;
    // Where the reader left `lawid` the last time it was left (the entry nearest the current
    // one, the current entry aside); -1 when the track holds no such entry.
    int LeftScroll(int edition, int lawid) const;
    // The whole track of an edition, oldest first, and the index of its current entry.
    const std::vector<Entry>& Entries(int edition) const { return Track(edition).m_entries; }
    int CurrentIndex(int edition) const { return Track(edition).m_nIndex; }

    void Clear();

private:
    struct CTrack {
        std::vector<Entry> m_entries;
        int m_nIndex = -1;
    };
    CTrack& Track(int edition) { return m_tracks[edition == 1 ? 1 : 0]; }
    const CTrack& Track(int edition) const { return m_tracks[edition == 1 ? 1 : 0]; }
    const Entry* Step(int edition, int leavingScroll, int delta);

    CTrack m_tracks[2];
};
