// The CD device against a fake MCI layer and a fake clock.
#include "popup/cd_audio_device.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/item_test_context.h"
#include "settings/system_items.h"

namespace tdx {
namespace {

constexpr std::uint32_t kNotReady = 337;  // what MCI says while the drive spins up
constexpr std::uint32_t kOpenFailed = 266;

class FakeMci : public MciPort {
public:
    std::vector<std::string> log;
    std::uint32_t openResult = 0;
    std::uint16_t nextId = 7;
    int openDevices = 0;
    int playFailures = 0;  // Play answers not-ready this many times, then succeeds
    bool playAlwaysFails = false;
    std::uint32_t mode = 525;  // stopped
    std::uint32_t length = 3000000, position = 1000, currentTrack = 4;
    std::vector<std::optional<std::uint32_t>> playedFrom;
    int* clock = nullptr;  // advanced by every Play when set

    std::uint32_t Open(WindowHandle, std::uint16_t& id) override {
        log.push_back("open");
        if (openResult) return openResult;
        id = nextId;
        ++openDevices;
        return 0;
    }
    std::uint32_t SetTimeFormatMilliseconds(std::uint16_t id) override {
        log.push_back("timeformat " + std::to_string(id));
        return 0;
    }
    std::uint32_t Close(std::uint16_t id, WindowHandle) override {
        log.push_back("close " + std::to_string(id));
        --openDevices;
        return 0;
    }
    std::uint32_t Status(std::uint16_t id, std::uint32_t item, std::optional<std::uint32_t> track,
                         std::uint32_t& value) override {
        if (id == 0) return 263;  // no device open
        switch (item) {
            case CdStatusItem::Mode: value = mode; break;
            case CdStatusItem::Length: value = length; break;
            case CdStatusItem::Position: value = track ? *track * 100000 : position; break;
            case CdStatusItem::CurrentTrack: value = currentTrack; break;
        }
        return 0;
    }
    std::uint32_t Play(std::uint16_t, WindowHandle, std::optional<std::uint32_t> from) override {
        log.push_back("play");
        playedFrom.push_back(from);
        if (playAlwaysFails) return kNotReady;
        if (playFailures > 0) {
            --playFailures;
            return kNotReady;
        }
        return 0;
    }
    std::uint32_t Pause(std::uint16_t, WindowHandle) override {
        log.push_back("pause");
        return 0;
    }
    std::uint32_t SetDoor(std::uint16_t, WindowHandle, bool open) override {
        log.push_back(open ? "eject" : "closedoor");
        if (!open) mode = 525;
        return 99;
    }
};

class CdDeviceTest : public ::testing::Test {
protected:
    FakeMci mci;
    std::uint32_t now = 1000;
    std::uint32_t step = 100;  // the clock advances this much per reading
    int pumps = 0;
    CdAudioDevice device{mci, CdWaitHooks{[this] { return now += step; }, [this] { ++pumps; }}};
    WindowHandle window = reinterpret_cast<WindowHandle>(0x1234);
};

TEST_F(CdDeviceTest, OpensOnceAndForgetsTheIdOnClose) {
    EXPECT_TRUE(device.Open(window));
    EXPECT_EQ(device.DeviceId(), 7);
    EXPECT_FALSE(device.Open(window));
    EXPECT_EQ(mci.log, (std::vector<std::string>{"open", "timeformat 7"}));

    device.Close(window);
    EXPECT_FALSE(device.IsOpen());
    device.Close(window);  // nothing open: nothing sent
    EXPECT_EQ(mci.log.back(), "close 7");
    EXPECT_EQ(mci.openDevices, 0);
    mci.nextId = 9;
    EXPECT_TRUE(device.Open(window));
    EXPECT_EQ(device.DeviceId(), 9);
}

TEST_F(CdDeviceTest, FailedOpenIsRecordedAndLeavesNoDevice) {
    mci.openResult = kOpenFailed;
    EXPECT_FALSE(device.Open(window));
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.LastError(), kOpenFailed);
    EXPECT_EQ(device.Mode(), 0u);
    EXPECT_EQ(device.LastError(), 263u);
}

TEST_F(CdDeviceTest, PlayRetriesUntilTheDriveIsReady) {
    device.Open(window);
    mci.playFailures = 3;
    device.Play(window, 0);
    EXPECT_EQ(mci.playedFrom.size(), 4u);
    EXPECT_EQ(pumps, 4);
    EXPECT_EQ(device.LastError(), 0u);
    EXPECT_FALSE(mci.playedFrom.back().has_value());  // resumes where it is
}

TEST_F(CdDeviceTest, PlayGivesUpAfterFiveSeconds) {
    device.Open(window);
    mci.playAlwaysFails = true;
    step = 1000;
    device.Play(window, 0);
    // Deadline read at 2000 + 5000; attempts end once the clock passes 7000.
    EXPECT_EQ(mci.playedFrom.size(), 6u);
    EXPECT_EQ(device.LastError(), kNotReady);
}

TEST_F(CdDeviceTest, PlayWaitSurvivesTheTickCountWrapping) {
    device.Open(window);
    mci.playAlwaysFails = true;
    now = 0xFFFFF000u;
    step = 1000;
    device.Play(window, 0);
    EXPECT_GE(mci.playedFrom.size(), 5u);
    EXPECT_LE(mci.playedFrom.size(), 6u);
}

TEST_F(CdDeviceTest, PlayClosesAnOpenDoorFirstWithoutRecordingIt) {
    device.Open(window);
    mci.mode = CdMode::DoorOpen;
    device.Play(window, 0);
    ASSERT_GE(mci.log.size(), 4u);
    EXPECT_EQ(mci.log[2], "closedoor");
    EXPECT_EQ(mci.log[3], "play");
    EXPECT_EQ(device.LastError(), 0u);
}

TEST_F(CdDeviceTest, PlayStartsFromTrackOneAtTheEndAndKeepsTheChoice) {
    device.Open(window);
    mci.position = mci.length;
    mci.playFailures = 1;
    device.Play(window, 0);
    ASSERT_EQ(mci.playedFrom.size(), 2u);
    EXPECT_EQ(mci.playedFrom[0], 100000u);
    EXPECT_EQ(mci.playedFrom[1], 100000u);

    mci.playedFrom.clear();
    mci.position = 5;
    device.Play(window, 3);
    EXPECT_EQ(mci.playedFrom.at(0), 300000u);
}

TEST_F(CdDeviceTest, TrackStepsPlayFromTheNeighbouringTrackAndDoorResultsAreNotRecorded) {
    device.Open(window);
    device.NextTrack();
    device.PreviousTrack();
    EXPECT_EQ(mci.playedFrom, (std::vector<std::optional<std::uint32_t>>{500000u, 300000u}));
    device.Eject(window);
    EXPECT_EQ(device.LastError(), 0u);
}

TEST(CdDeviceAndSystemList, TwoWritesInARowLeaveOneDeviceOpen) {
    FakeMci mci;
    std::uint32_t now = 0;
    CdAudioDevice device{mci, CdWaitHooks{[&] { return now += 10; }, [] {}}};
    WindowHandle mainWindow = reinterpret_cast<WindowHandle>(0x99);

    test::ItemTestContext fake;
    ItemContext ctx = fake.Make();
    ctx.openCdDevice = [&] { device.Open(mainWindow); };
    ctx.closeCdDevice = [&] { device.Close(mainWindow); };

    ItemList list;
    ReadSystemItems(ctx, list, 1);
    EXPECT_FALSE(device.IsOpen());  // the CD player starts switched off
    const int cd = FindSystemItem(ctx, list, kCdPlayerCommand);
    ASSERT_GE(cd, 0);
    list[static_cast<std::size_t>(cd)].Status &= ~ItemStatus::NotInUse;

    WriteSystemItems(ctx, list, 1);
    WriteSystemItems(ctx, list, 1);
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(mci.openDevices, 1);

    ReadSystemItems(ctx, list, 1);
    EXPECT_EQ(mci.openDevices, 1);
    FreeItemList(ctx, list, true);
}

}  // namespace
}  // namespace tdx
