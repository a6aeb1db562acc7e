// The track list: ids, the current track and removal.
#include <gtest/gtest.h>

#include "model/track_list.h"

namespace {

using wd::TrackList;

TEST(TrackList, TracksGetIdsInOrderThatAreNeverReused) {
    TrackList list;
    auto* a = list.addTrack("a");
    auto* b = list.addTrack("b");
    auto* c = list.addTrack("c");
    EXPECT_EQ(a->id(), 0u);
    EXPECT_EQ(b->id(), 1u);
    EXPECT_EQ(c->id(), 2u);
    EXPECT_EQ(b->name(), "b");
    EXPECT_EQ(list.current(), nullptr);
    EXPECT_EQ(list.removeTrackById(1), 0);
    EXPECT_EQ(list.addTrack("d")->id(), 3u);
    EXPECT_EQ(list.findById(1), nullptr);
    EXPECT_EQ(list.findById(2), c);
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.trackAt(0), a);
    EXPECT_EQ(list.trackAt(1), c);
    EXPECT_EQ(list.trackAt(3), nullptr);
    EXPECT_EQ(list.trackAt(-1), nullptr);
}

TEST(TrackList, RemovingTheOnlyTrackLeavesNoCurrentTrack) {
    TrackList list;
    auto* a = list.addTrack("a");
    ASSERT_EQ(list.setCurrent(a), 0);
    EXPECT_EQ(list.removeTrack(a), 0);
    EXPECT_EQ(list.current(), nullptr);
    EXPECT_EQ(list.count(), 0);
    auto* b = list.addTrack("b");
    list.setCurrent(b);
    EXPECT_EQ(list.removeTrackById(b->id()), 0);
    EXPECT_EQ(list.current(), nullptr);
}

TEST(TrackList, RemovingANonCurrentTrackByPointerKeepsTheCurrentTrack) {
    TrackList list;
    auto* a = list.addTrack("a");
    auto* b = list.addTrack("b");
    auto* c = list.addTrack("c");
    list.setCurrent(c);
    EXPECT_EQ(list.removeTrack(b), 0);
    EXPECT_EQ(list.current(), c);
    // Removing the current one makes the first remaining track current.
    EXPECT_EQ(list.removeTrack(c), 0);
    EXPECT_EQ(list.current(), a);
}

TEST(TrackList, RemovingAnyTrackByIdMakesTheFirstRemainingTrackCurrent) {
    TrackList list;
    auto* a = list.addTrack("a");
    list.addTrack("b");
    auto* c = list.addTrack("c");
    list.setCurrent(c);
    EXPECT_EQ(list.removeTrackById(1), 0);
    EXPECT_EQ(list.current(), a);
}

TEST(TrackList, UnknownTracksAndIdsChangeNothing) {
    TrackList list;
    auto* a = list.addTrack("a");
    list.setCurrent(a);
    TrackList other;
    auto* stranger = other.addTrack("x");
    EXPECT_EQ(list.removeTrack(stranger), -1);
    EXPECT_EQ(list.removeTrack(nullptr), -1);
    EXPECT_EQ(list.removeTrackById(99), -1);
    EXPECT_EQ(list.current(), a);
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(list.setCurrent(nullptr), -1);
    EXPECT_EQ(list.setCurrent(stranger), -1);
    EXPECT_EQ(list.current(), a);
}

}  // namespace
