#include "figure.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>

namespace assetgen {

double SinDegrees(double degrees) {
  double r = degrees - 360.0 * std::floor((degrees + 180.0) / 360.0);  // [-180, 180)
  if (r > 90.0) r = 180.0 - r;
  if (r < -90.0) r = -180.0 - r;
  const double x = r * (3.14159265358979323846 / 180.0);
  const double x2 = x * x;
  // Taylor series to x^15: below 1e-9 on [-pi/2, pi/2], far finer than the 1/16 px grid.
  double sum = 1.0 / 1307674368000.0;
  sum = 1.0 / 6227020800.0 - x2 * sum;
  sum = 1.0 / 39916800.0 - x2 * sum;
  sum = 1.0 / 362880.0 - x2 * sum;
  sum = 1.0 / 5040.0 - x2 * sum;
  sum = 1.0 / 120.0 - x2 * sum;
  sum = 1.0 / 6.0 - x2 * sum;
  sum = 1.0 - x2 * sum;
  return x * sum;
}

double CosDegrees(double degrees) { return SinDegrees(degrees + 90.0); }

namespace {

struct Vec {
  double x;
  double y;
};

Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }

// A bone of the given length pointing at `angle` (see LegPose), y growing downward.
Vec Bone(double length, double angle) {
  return {length * SinDegrees(angle), length * CosDegrees(angle)};
}

GridPoint ToGrid(Vec v) {
  return {static_cast<std::int32_t>(std::lround(v.x * subunits)),
          static_cast<std::int32_t>(std::lround(v.y * subunits))};
}

std::int32_t ToGrid(double length) {
  return static_cast<std::int32_t>(std::lround(length * subunits));
}

// Bone lengths in pixels at scale 1: a person about 60 px tall, legs a little longer than
// the torso, arms reaching to mid-thigh.
constexpr double torsoLength = 19.0;
constexpr double neckLength = 2.5;
constexpr double thighLength = 13.5;
constexpr double shinLength = 13.0;
constexpr double footLength = 4.0;
constexpr double upperArmLength = 9.5;
constexpr double forearmLength = 9.0;

void AddLeg(Shape& shape, Vec hip, const LegPose& leg, const FigureStyle& style, Argb colour) {
  const double s = style.scale;
  const Vec knee = hip + Bone(thighLength * s, leg.hip);
  const double shinAngle = leg.hip - leg.knee;
  const Vec ankle = knee + Bone(shinLength * s, shinAngle);
  const Vec toe = ankle + Bone(footLength * s, 90.0 + leg.toe);
  const std::int32_t r = ToGrid(style.limbRadius);
  shape.Add(ToGrid(hip), ToGrid(knee), r, colour);
  shape.Add(ToGrid(knee), ToGrid(ankle), r, colour);
  shape.Add(ToGrid(ankle), ToGrid(toe), r, colour);
}

void AddArm(Shape& shape, Vec shoulder, const ArmPose& arm, const FigureStyle& style, Argb colour) {
  const double s = style.scale;
  const Vec elbow = shoulder + Bone(upperArmLength * s, arm.shoulder);
  const Vec hand = elbow + Bone(forearmLength * s, arm.shoulder + arm.elbow);
  const std::int32_t r = ToGrid(style.limbRadius);
  shape.Add(ToGrid(shoulder), ToGrid(elbow), r, colour);
  shape.Add(ToGrid(elbow), ToGrid(hand), r, colour);
}

}  // namespace

Shape BuildFigure(const Pose& pose, const FigureStyle& style, double hipX, double hipY) {
  const double s = style.scale;
  const Vec hip{hipX, hipY};
  // The torso points up: 180 degrees from straight down, less the lean.
  const double up = 180.0 - pose.lean;
  const Vec shoulder = hip + Bone(torsoLength * s, up);
  const double headRadius = style.headRadius * s;
  const Vec head = shoulder + Bone(neckLength * s + headRadius, up);

  Shape shape;
  // Back to front, so the near limbs cross over the body.
  AddArm(shape, shoulder, pose.farArm, style, style.farColour);
  AddLeg(shape, hip, pose.farLeg, style, style.farColour);
  shape.Add(ToGrid(hip), ToGrid(shoulder), ToGrid(style.torsoRadius), style.nearColour);
  shape.Add(ToGrid(shoulder), ToGrid(head), ToGrid(style.torsoRadius), style.nearColour);
  shape.AddDisc(ToGrid(head), ToGrid(headRadius), style.nearColour);
  if (style.nose) {
    // A nub low on the face, so the figure plainly looks where it runs.
    const Vec base = head + Vec{headRadius * 0.6, headRadius * 0.3};
    const Vec tip = head + Vec{headRadius + 0.4 * s, headRadius * 0.35};
    shape.Add(ToGrid(base), ToGrid(tip), ToGrid(0.75), style.nearColour);
  }
  AddLeg(shape, hip, pose.nearLeg, style, style.nearColour);
  AddArm(shape, shoulder, pose.nearArm, style, style.nearColour);
  return shape;
}

Pose StandPose() {
  Pose pose{};
  pose.lean = 0.0;
  pose.nearLeg = {7.0, 4.0, 0.0};
  pose.farLeg = {-7.0, 3.0, 0.0};
  pose.nearArm = {22.0, 16.0};
  pose.farArm = {-20.0, 12.0};
  return pose;
}

Pose JumpPose() {
  Pose pose{};
  pose.lean = 6.0;
  // The leading knee driven up, the pushing leg still long behind, arms thrown up.
  pose.nearLeg = {72.0, 105.0, -10.0};
  pose.farLeg = {-12.0, 12.0, -45.0};
  pose.nearArm = {125.0, 20.0};
  pose.farArm = {-150.0, -10.0};
  return pose;
}

Pose FallPose() {
  Pose pose{};
  pose.lean = -2.0;
  // Arms up and out to catch the air, legs apart and ready for the ground.
  pose.nearLeg = {20.0, 12.0, 0.0};
  pose.farLeg = {-16.0, 8.0, -10.0};
  pose.nearArm = {110.0, 40.0};
  pose.farArm = {-114.0, -38.0};
  return pose;
}

Pose IconPose() {
  Pose pose{};
  pose.lean = 14.0;
  // A stride wider than any running frame: at 16 px only exaggerated opposition still reads.
  pose.nearLeg = {-40.0, 35.0, -45.0};
  pose.farLeg = {55.0, 95.0, -25.0};
  pose.nearArm = {65.0, 80.0};
  pose.farArm = {-60.0, 70.0};
  return pose;
}

namespace {

// One leg through a stride, starting as the foot strikes the ground ahead of the body.
struct LegKey {
  double hip, knee, toe;  // toe: foot angle from level, as in LegPose
};
constexpr std::array<LegKey, 8> legKeys{{
    {24.0, 22.0, 10.0},      // strike, leg nearly straight, heel first
    {6.0, 40.0, 0.0},        // under the body, knee taking the load
    {-22.0, 22.0, -10.0},    // driving back
    {-32.0, 28.0, -50.0},    // toe-off
    {-18.0, 105.0, -110.0},  // heel kicked up behind
    {28.0, 120.0, -70.0},    // knee swinging through
    {48.0, 80.0, -20.0},     // knee high
    {32.0, 26.0, 5.0},       // reaching for the ground
}};

// A closed Catmull-Rom curve through the keys, so the stride loops without a seam.
double Smooth(double p0, double p1, double p2, double p3, double t) {
  const double t2 = t * t;
  const double t3 = t2 * t;
  return 0.5 * (2.0 * p1 + (p2 - p0) * t + (2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3) * t2 +
                (3.0 * p1 - p0 - 3.0 * p2 + p3) * t3);
}

LegPose LegAt(double phase) {
  const double count = static_cast<double>(legKeys.size());
  const double position = (phase - std::floor(phase)) * count;
  const int index = static_cast<int>(position);
  const double t = position - index;
  const auto key = [index](int offset) {
    const auto n = static_cast<int>(legKeys.size());
    return legKeys[static_cast<std::size_t>((index + offset + n) % n)];
  };
  const LegKey a = key(-1), b = key(0), c = key(1), d = key(2);
  return {Smooth(a.hip, b.hip, c.hip, d.hip, t), Smooth(a.knee, b.knee, c.knee, d.knee, t),
          Smooth(a.toe, b.toe, c.toe, d.toe, t)};
}

// Each arm swings against the leg on its own side: back while that knee comes forward.
ArmPose ArmAt(double phase) {
  const double swing = CosDegrees(360.0 * (phase - 0.30));  // 1 when the arm is furthest forward
  return {8.0 + 42.0 * swing, 80.0 + 25.0 * swing};
}

// How far below the hip a leg reaches at scale 1, the stroke's thickness included.
double LegDrop(const LegPose& leg) {
  const double shinAngle = leg.hip - leg.knee;
  const double knee = thighLength * CosDegrees(leg.hip);
  const double ankle = knee + shinLength * CosDegrees(shinAngle);
  const double toe = ankle + footLength * CosDegrees(90.0 + leg.toe);
  return std::max(knee, std::max(ankle, toe)) + FigureStyle{}.limbRadius;
}

// Sets the knee so the leg reaches `drop` below the hip, choosing of the bends that do so the
// one nearest the keyed bend; without any, the leg gets as close as a knee allows.
void FitLeg(LegPose& leg, double drop) {
  // The leg is longest with the shin hanging straight down; bending either way from there
  // shortens it, so each side is searched on its own.
  const double longest = std::max(0.0, leg.hip);
  const auto solve = [&leg, drop](double tooLong, double shortEnough) {
    LegPose probe = leg;
    for (int i = 0; i < 40; ++i) {
      probe.knee = 0.5 * (tooLong + shortEnough);
      (LegDrop(probe) > drop ? tooLong : shortEnough) = probe.knee;
    }
    return shortEnough;
  };
  LegPose probe = leg;
  probe.knee = longest;
  if (LegDrop(probe) <= drop) {
    leg.knee = longest;
    return;
  }
  const double folded = solve(longest, 150.0);
  probe.knee = 0.0;
  if (longest > 0.0 && LegDrop(probe) <= drop) {
    const double straighter = solve(longest, 0.0);
    if (std::abs(straighter - leg.knee) < std::abs(folded - leg.knee)) {
      leg.knee = straighter;
      return;
    }
  }
  leg.knee = folded;
}

}  // namespace

Pose RunPose(int frame, int count) {
  const double phase = static_cast<double>(frame) / count;
  Pose pose{};
  pose.lean = 10.0;
  pose.nearLeg = LegAt(phase);
  pose.farLeg = LegAt(phase + 0.5);
  pose.nearArm = ArmAt(phase);
  pose.farArm = ArmAt(phase + 0.5);

  // With a foot kept on the ground in every frame, the keyed legs alone would bob the head
  // three pixels a step; holding the supporting leg to a cap keeps it to a runner's two.
  constexpr double tallest = 25.8;
  for (LegPose* leg : {&pose.nearLeg, &pose.farLeg})
    if (LegDrop(*leg) > tallest) FitLeg(*leg, tallest);
  return pose;
}

}  // namespace assetgen
