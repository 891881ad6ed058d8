#pragma once

/** One 1/400 s slice of the defect map of a track: one value per lane, lane k tied to band
    filter k of the head (lane 0 the lowest band).

    The value's range codes the defect kind:
      0              nothing
      above 0..< 10  dropout (0..1)            below -0.5  splice mark (-1)
      10 ..< 20      flutter (10..11)          20 ..< 30   crinkle (20..21)
      30 and above   drag / tension (30..35)
    Values between -0.5 and 0 count as a negative dropout. Stored whole in "defects.gz". */
struct alignas (16) TapeDefectCell
{
    static constexpr int numLanes = 8;

    float lanes[numLanes] = {};
};

/** What the lanes of one cell add up to per kind: these move the read position. */
struct TapeDefectSums
{
    float drag = 0.0f, crinkle = 0.0f, flutter = 0.0f, splice = 0.0f, dropout = 0.0f;

    /** Each lane counted by the kind its value codes, lane 0 first. */
    static TapeDefectSums of (const TapeDefectCell& cell) noexcept
    {
        TapeDefectSums sums;

        for (const auto v : cell.lanes)
        {
            if (v >= 30.0f)
                sums.drag += v - 30.0f;
            else if (v >= 20.0f)
                sums.crinkle += v - 20.0f;
            else if (v >= 10.0f)
                sums.flutter += v - 10.0f;
            else if (v < -0.5f)
                sums.splice += v;
            else if (v > 0.0f)
                sums.dropout += v;
        }

        return sums;
    }
};

/** The defect kinds, numbered as the deck's brushes. */
namespace TapeDefectKind
{
constexpr int dropout = 1;
constexpr int splice = 2;
constexpr int flutter = 3;
constexpr int crinkle = 4;
constexpr int drag = 5;
} // namespace TapeDefectKind
