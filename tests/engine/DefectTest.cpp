#include "tests/engine/MechanicsProcessorFixture.h"

namespace
{
using P = TavrelDelayAudioProcessor;

class DefectTest : public MechanicsProcessorTest
{
protected:
    P p;

    void SetUp() override { ASSERT_TRUE (p.prepareReel (8, 60.0, 48000.0).wasOk()); }

    float cell (size_t track, int index, int lane)
    {
        return p.tracks[track].getHead().defects[(size_t)index].lanes[lane];
    }

    void setCell (int index, int lane, float value)
    {
        for (auto& track : p.tracks)
            track.getHead().defects[(size_t)index].lanes[lane] = value;
    }

    int paintedCells (size_t track)
    {
        int count = 0;

        for (const auto& c : p.tracks[track].getHead().defects)
            for (auto value : c.lanes)
                count += value != 0.0f ? 1 : 0;

        return count;
    }

    bool allMapsAlike()
    {
        for (const auto& track : p.tracks)
            for (size_t k = 0; k < 12000; ++k)
                for (int lane = 0; lane < 8; ++lane)
                    if (track.getHead().defects[k].lanes[lane] != p.tracks[0].getHead().defects[k].lanes[lane])
                        return false;

        return true;
    }
};
} // namespace

TEST_F (DefectTest, ABrushWritesItsKindIntoOneLaneOfEveryTrack)
{
    struct Case
    {
        const char* name;
        float before;
        int kind;
        float strength;
        float after;
    };

    // Half-width 0: the centre cell alone, by the full strength.
    const Case cases[] = {
        {"dropout", 0.0f, TapeDefectKind::dropout, 0.4f, 0.4f},
        {"dropout adds up", 0.5f, TapeDefectKind::dropout, 0.3f, 0.8f},
        {"dropout at most 1", 0.9f, TapeDefectKind::dropout, 0.5f, 1.0f},
        {"dropout over flutter", 10.5f, TapeDefectKind::dropout, 0.3f, 0.3f},
        {"splice at any strength", 0.7f, TapeDefectKind::splice, 0.01f, -1.0f},
        {"splice over drag", 33.0f, TapeDefectKind::splice, 1.0f, -1.0f},
        {"flutter over dropout", 0.3f, TapeDefectKind::flutter, 0.4f, 10.4f},
        {"flutter adds up", 10.8f, TapeDefectKind::flutter, 0.5f, 11.0f},
        {"crinkle", 0.0f, TapeDefectKind::crinkle, 0.5f, 20.5f},
        {"crinkle keeps a flutter cell", 16.0f, TapeDefectKind::crinkle, 0.5f, 16.5f},
        {"drag", 0.0f, TapeDefectKind::drag, 0.75f, 30.75f},
        {"drag up to 35", 34.5f, TapeDefectKind::drag, 1.0f, 35.0f},
        {"drag over crinkle", 20.5f, TapeDefectKind::drag, 1.0f, 31.0f},
        {"unknown kind", 0.25f, 9, 1.0f, 0.25f},
        {"no kind", 0.25f, 0, 1.0f, 0.25f},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        p.clearAllTapeDefects();
        setCell (6000, 3, c.before);

        p.paintTapeDefect (0.5f, 3, c.kind, 0.0f, c.strength);

        for (size_t track = 0; track < 8; ++track)
        {
            EXPECT_FLOAT_EQ (cell (track, 6000, 3), c.after) << "track " << track + 1;
            EXPECT_EQ (cell (track, 5999, 3), 0.0f);
            EXPECT_EQ (cell (track, 6001, 3), 0.0f);
            EXPECT_EQ (cell (track, 6000, 2), 0.0f);
        }
    }
}

TEST_F (DefectTest, AStrokeIsAParabolaAcrossItsWidth)
{
    // 10 ms either side: 4 cells, heights 1 - (i/4)^2.
    p.paintTapeDefect (0.25f, 0, TapeDefectKind::dropout, 0.01f, 0.8f);
    const int centre = 3000;
    const float heights[] = {0.0f, 0.4375f, 0.75f, 0.9375f, 1.0f, 0.9375f, 0.75f, 0.4375f, 0.0f};

    for (int i = -4; i <= 4; ++i)
        EXPECT_FLOAT_EQ (cell (0, centre + i, 0), 0.8f * heights[i + 4]) << i;

    EXPECT_EQ (cell (0, centre - 5, 0), 0.0f);
    EXPECT_EQ (cell (0, centre + 5, 0), 0.0f);
    EXPECT_EQ (paintedCells (0), 7);
    EXPECT_TRUE (allMapsAlike());

    // Lanes outside 0..7 are taken as the nearest lane.
    p.clearAllTapeDefects();
    p.paintTapeDefect (0.25f, -3, TapeDefectKind::splice, 0.0f, 1.0f);
    p.paintTapeDefect (0.25f, 12, TapeDefectKind::splice, 0.0f, 1.0f);
    EXPECT_EQ (cell (0, centre, 0), -1.0f);
    EXPECT_EQ (cell (0, centre, 7), -1.0f);
    EXPECT_EQ (paintedCells (0), 2);
}

TEST_F (DefectTest, AStrokeAtTheEndOfTheLoopWrapsToItsStart)
{
    // 20 ms half-width (8 cells) around cell 11996 reaches cells 0 to 4 of the next pass; the
    // stroke's two ends have no height but are flutter cells all the same.
    p.paintTapeDefect (11996.0f / 12000.0f, 5, TapeDefectKind::flutter, 0.02f, 1.0f);

    EXPECT_EQ (cell (0, 11987, 5), 0.0f);
    EXPECT_EQ (cell (0, 11988, 5), 10.0f);
    EXPECT_GT (cell (0, 11989, 5), 10.0f);
    EXPECT_FLOAT_EQ (cell (0, 11996, 5), 11.0f);
    EXPECT_GT (cell (0, 11999, 5), 10.0f);
    EXPECT_GT (cell (0, 3, 5), 10.0f);
    EXPECT_EQ (cell (0, 4, 5), 10.0f);
    EXPECT_EQ (cell (0, 5, 5), 0.0f);
    EXPECT_EQ (paintedCells (0), 17);
    EXPECT_TRUE (allMapsAlike());

    // A position outside 0..1 lands on the loop all the same, and a strange one paints nothing.
    p.clearAllTapeDefects();
    p.paintTapeDefect (1.25f, 0, TapeDefectKind::splice, 0.0f, 1.0f);
    p.paintTapeDefect (-0.25f, 1, TapeDefectKind::splice, 0.0f, 1.0f);
    EXPECT_EQ (cell (0, 3000, 0), -1.0f);
    EXPECT_EQ (cell (0, 9000, 1), -1.0f);
    p.paintTapeDefect (std::numeric_limits<float>::quiet_NaN(), 0, TapeDefectKind::splice, 0.0f, 1.0f);
    EXPECT_EQ (paintedCells (0), 2);
}

TEST_F (DefectTest, ClearingEmptiesEveryMapAndChangesNoSaveState)
{
    for (float position : {0.1f, 0.4f, 0.9f})
        p.paintTapeDefect (position, 2, TapeDefectKind::crinkle, 0.05f, 1.0f);

    ASSERT_GT (paintedCells (7), 0);

    for (bool unsaved : {false, true})
    {
        SCOPED_TRACE (unsaved);
        p.clearUnsavedChanges();
        p.unsavedChanges = unsaved;
        p.paintTapeDefect (0.3f, 2, TapeDefectKind::drag, 0.05f, 1.0f);
        p.clearAllTapeDefects();

        for (size_t track = 0; track < 8; ++track)
            EXPECT_EQ (paintedCells (track), 0);

        EXPECT_EQ (p.hasUnsavedChanges(), unsaved);
    }

    // A track whose head was never prepared has no map: it is passed over.
    p.tracks.emplace_back();
    p.paintTapeDefect (0.5f, 0, TapeDefectKind::dropout, 0.01f, 1.0f);
    p.clearAllTapeDefects();
    EXPECT_EQ (paintedCells (0), 0);
}

TEST_F (DefectTest, RandomWearPaintsAtItsRate)
{
    struct Case
    {
        float rate;
        double paintedShare;
    };

    for (const auto& c : {Case{1.0f, 1.0}, Case{0.5f, 0.5}, Case{0.1f, 0.1}, Case{0.0f, 0.0}})
    {
        SCOPED_TRACE (c.rate);
        p.clearAllTapeDefects();
        p.wearRandom.setSeed (99);
        int strokes = 0;
        float wander = 0.0f;
        p.speedWander = 0.0f;

        for (int i = 0; i < 2000; ++i)
        {
            // Each stroke also kicks the speed wander, by at most 0.1 x rate.
            const auto before = p.speedWander;
            p.generateRandomDefects (c.rate);

            if (p.speedWander != before)
            {
                ++strokes;
                EXPECT_LE (std::abs (p.speedWander - before), 0.1f * c.rate + 1.0e-6f);
            }

            wander = p.speedWander;
        }

        EXPECT_NEAR (strokes / 2000.0, c.paintedShare, 0.04);
        EXPECT_TRUE (allMapsAlike());

        if (c.rate == 0.0f)
        {
            EXPECT_EQ (paintedCells (0), 0);
            EXPECT_EQ (wander, 0.0f);
            continue;
        }

        // Mostly dropouts, a splice now and then, nothing of the other kinds.
        int dropouts = 0, splices = 0, others = 0;

        for (const auto& cellValues : p.tracks[0].getHead().defects)
            for (auto value : cellValues.lanes)
            {
                if (value == -1.0f)
                    ++splices;
                else if (value > 0.0f && value <= 1.0f)
                    ++dropouts;
                else if (value < -1.0f || value > 1.0f)
                    ++others;
            }

        EXPECT_GT (dropouts, 0);
        EXPECT_EQ (others, 0);

        if (c.rate == 1.0f)
        {
            EXPECT_GT (splices, 0);
            EXPECT_LT (splices, dropouts / 5);
        }
    }
}
