// The stick figure: a skeleton of joint angles, the poses it strikes, and its strokes.
#pragma once

#include "raster.h"

namespace assetgen {

// Angles are in degrees and measured in the picture, not relative to the parent bone, from
// straight down, positive toward the way the figure faces (right). A thigh at 0 hangs
// straight; at 90 it points forward.
struct LegPose {
  double hip;   // thigh angle
  double knee;  // bend: the shin swings back by this much from the thigh
  double toe;   // foot angle from level ground (not from the shin), negative points the toes down
};

struct ArmPose {
  double shoulder;  // upper arm angle
  double elbow;     // bend: the forearm swings forward by this much from the upper arm
};

struct Pose {
  double lean;  // torso tilt forward from upright
  LegPose nearLeg;
  LegPose farLeg;
  ArmPose nearArm;
  ArmPose farArm;
};

struct FigureStyle {
  double scale = 1.0;  // bone lengths and head size
  double limbRadius = 1.25;
  double torsoRadius = 1.4;
  double headRadius = 4.8;
  bool nose = true;
  Argb nearColour = 0xFF1E2430u;  // dark blue-grey
  Argb farColour = 0xFF4E5868u;   // the limbs behind the body, so the gait stays readable
};

// The strokes of a figure whose hip is at (hipX, hipY) in pixels.
Shape BuildFigure(const Pose& pose, const FigureStyle& style, double hipX, double hipY);

Pose StandPose();
Pose JumpPose();
Pose FallPose();
Pose IconPose();
// One frame of a running stride; frame `count` is frame 0 again.
Pose RunPose(int frame, int count);

// Sine and cosine of degrees from basic arithmetic only: library trigonometry may differ in
// the last bit between platforms, and a changed bit can move a joint across a rounding edge.
double SinDegrees(double degrees);
double CosDegrees(double degrees);

}  // namespace assetgen
