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

/** The defect kinds, numbered as the deck's brushes. */
namespace TapeDefectKind
{
constexpr int dropout = 1;
constexpr int splice = 2;
constexpr int flutter = 3;
constexpr int crinkle = 4;
constexpr int drag = 5;
} // namespace TapeDefectKind
