#include "assets.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "image_files.h"

namespace assetgen {

const char* const iconPixelListName = "icons/icon32_pixels.inc";

namespace {

std::string Numbered(const std::string& stem, int index) {
  std::string number = std::to_string(index);
  number.insert(0, 4 - number.size(), '0');
  return stem + number + ".bmp";
}

constexpr int runFrameCount = 13;
constexpr Argb iconRimColour = 0xFFF2F4F8u;

// Pictures are 2 * anchorX + 1 wide so the anchor column is the middle one: the game mirrors
// a picture in place for the left-facing figure, and only then does the anchor stay put.
FramePicture Frame(std::string path, std::int32_t anchorX, std::int32_t height,
                   std::int32_t anchorY, Pose pose, double hipShift) {
  return {std::move(path), 2 * anchorX + 1, height, anchorX, anchorY, pose, hipShift};
}

// The box around every pixel that is not `background`, and how many there are.
struct Extent {
  std::int32_t left, top, right, bottom;  // inclusive; empty when right < left
  std::int32_t count;
};

Extent Measure(const Canvas& canvas, Argb background) {
  Extent e{canvas.Width(), canvas.Height(), -1, -1, 0};
  for (std::int32_t y = 0; y < canvas.Height(); ++y)
    for (std::int32_t x = 0; x < canvas.Width(); ++x)
      if (canvas.At(x, y) != background) {
        e.left = std::min(e.left, x);
        e.right = std::max(e.right, x);
        e.top = std::min(e.top, y);
        e.bottom = std::max(e.bottom, y);
        ++e.count;
      }
  return e;
}

}  // namespace

std::vector<FramePicture> Frames() {
  std::vector<FramePicture> frames;
  frames.push_back(Frame("StickStand/Stand0000.bmp", 12, 61, 60, StandPose(), 0.0));
  for (int i = 0; i < runFrameCount; ++i)
    frames.push_back(
        Frame(Numbered("StickRun/Run", i), 30, 61, 58, RunPose(i, runFrameCount), -1.0));
  frames.push_back(Frame("StickJump/Jump0000.bmp", 16, 75, 72, JumpPose(), -1.0));
  frames.push_back(Frame("StickFall/Fall0000.bmp", 14, 61, 60, FallPose(), 0.0));
  return frames;
}

Canvas RenderFrame(const FramePicture& frame) {
  // Drawn first with room all round, to find the feet and to notice anything cut off.
  constexpr std::int32_t margin = 64;
  const FigureStyle style;
  const double hipX = frame.anchorX + 0.5 + frame.hipShift;
  const Shape loose = BuildFigure(frame.pose, style, hipX + margin, 2.0 * margin);
  Canvas scratch(frame.width + 2 * margin, frame.height + 4 * margin, keyColour);
  DrawHard(scratch, loose);
  const Extent whole = Measure(scratch, keyColour);

  const std::int32_t lift = whole.bottom - (frame.anchorY - 1);
  Canvas canvas(frame.width, frame.height, keyColour);
  DrawHard(canvas, Shifted(loose, -margin, -lift));
  if (Measure(canvas, keyColour).count != whole.count)
    throw std::runtime_error("the pose for " + frame.path + " does not fit its picture (" +
                             std::to_string(whole.right - whole.left + 1) + " x " +
                             std::to_string(whole.bottom - whole.top + 1) + " px)");
  return canvas;
}

Canvas RenderIcon(std::int32_t size) {
  FigureStyle style;
  style.nose = false;
  double outline = 0.0;
  if (size >= 32) {
    // Drawn for 32 px; larger icons are the same figure grown with them.
    const double grow = size / 32.0;
    style.scale = 0.49 * grow;
    style.limbRadius = 1.15 * grow;
    style.torsoRadius = 1.3 * grow;
    style.headRadius = 7.8;
    outline = 1.0 * grow;
  } else {
    style.scale = 0.215;
    style.limbRadius = 0.8;
    style.torsoRadius = 0.9;
    style.headRadius = 10.5;
    outline = 0.75;
  }
  const Shape figure = BuildFigure(IconPose(), style, 2.0 * size, 2.0 * size);
  // A pale rim under the figure keeps it visible on a dark taskbar as well as a light one.
  Shape loose;
  const auto rim = static_cast<std::int32_t>(outline * subunits);
  for (const Stroke& s : figure.strokes) loose.Add(s.a, s.b, s.radius + rim, iconRimColour);
  loose.strokes.insert(loose.strokes.end(), figure.strokes.begin(), figure.strokes.end());

  Canvas scratch(4 * size, 4 * size, transparent);
  DrawSmooth(scratch, loose);
  const Extent e = Measure(scratch, transparent);
  // Centred both ways.
  const std::int32_t dx = (size - 1 - (e.right - e.left)) / 2 - e.left;
  const std::int32_t dy = (size - 1 - (e.bottom - e.top)) / 2 - e.top;
  Canvas canvas(size, size, transparent);
  DrawSmooth(canvas, Shifted(loose, dx, dy));
  if (Measure(canvas, transparent).count != e.count)
    throw std::runtime_error("the icon figure, " + std::to_string(e.right - e.left + 1) + " x " +
                             std::to_string(e.bottom - e.top + 1) + " px, does not fit " +
                             std::to_string(size) + " px");
  return canvas;
}

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  if (error)
    throw std::runtime_error("cannot create " + path.parent_path().string() + ": " +
                             error.message());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void WriteAssets(const std::filesystem::path& folder) {
  for (const FramePicture& frame : Frames())
    WriteFile(folder / frame.path, EncodeBmp24(RenderFrame(frame)));
  const Canvas icon16 = RenderIcon(16);
  const Canvas icon32 = RenderIcon(32);
  WriteFile(folder / "icons/fennwick16.ico", EncodeIco(icon16));
  WriteFile(folder / "icons/fennwick32.ico", EncodeIco(icon32));
  // The same two pictures for the Linux desktop's icon theme.
  WriteFile(folder / "icons/fennwick16.png", EncodePng(icon16));
  WriteFile(folder / "icons/fennwick32.png", EncodePng(icon32));
  // The web page's home-screen icons.
  for (const std::int32_t size : {192, 512})
    WriteFile(folder / ("icons/fennwick" + std::to_string(size) + ".png"), EncodePng(RenderAppIcon(size)));
  const std::string list = EncodePixelList(
      icon32,
      "Generated by fennwick-assetgen: the 32 x 32 window icon, 0xAARRGGBB, top row first.");
  WriteFile(folder / iconPixelListName, std::vector<std::uint8_t>(list.begin(), list.end()));
}

namespace {

constexpr Argb levelGrey = 0xFFE0E0E0u;
constexpr Argb groundGrey = 0xFF9A9A9Au;
constexpr Argb anchorMark = 0xFFD03030u;

// Alpha blends an icon over an opaque background.
Argb Over(Argb top, Argb under) {
  const std::uint32_t a = top >> 24;
  Argb out = 0xFF000000u;
  for (int shift = 0; shift <= 16; shift += 8) {
    const std::uint32_t t = (top >> shift) & 0xFF;
    const std::uint32_t u = (under >> shift) & 0xFF;
    out |= ((t * a + u * (255 - a) + 127) / 255) << shift;
  }
  return out;
}

}  // namespace

Canvas RenderAppIcon(std::int32_t size) {
  // Home screens cut icons to circles and rounded squares of their own: the figure stays well
  // inside the middle, on the level's grey to the edges.
  const std::int32_t inner = size * 5 / 8;
  const Canvas figure = RenderIcon(inner);
  Canvas canvas(size, size, levelGrey);
  const std::int32_t offset = (size - inner) / 2;
  for (std::int32_t y = 0; y < inner; ++y)
    for (std::int32_t x = 0; x < inner; ++x)
      canvas.Set(offset + x, offset + y, Over(figure.At(x, y), levelGrey));
  return canvas;
}

Canvas RenderContactSheet() {
  constexpr std::int32_t zoom = 3;
  constexpr std::int32_t gap = 6;
  const std::vector<FramePicture> frames = Frames();

  std::int32_t aboveGround = 0;
  std::int32_t width = gap;
  for (const FramePicture& f : frames) {
    aboveGround = std::max(aboveGround, f.anchorY);
    width += f.width + gap;
  }
  const std::int32_t rowHeight = aboveGround + 8;
  const Canvas icon16 = RenderIcon(16);
  const Canvas icon32 = RenderIcon(32);
  width += icon32.Width() + gap;
  const std::int32_t height = gap + 2 * rowHeight;

  // Right-facing frames on the top row, the game's mirrored copies below them.
  Canvas sheet(width, height, levelGrey);
  for (int mirrored = 0; mirrored < 2; ++mirrored) {
    const std::int32_t groundY = gap + mirrored * rowHeight + aboveGround;
    for (std::int32_t y = groundY; y < groundY + 3; ++y)
      for (std::int32_t x = 0; x < width; ++x) sheet.Set(x, y, groundGrey);
    std::int32_t left = gap;
    for (const FramePicture& f : frames) {
      const Canvas picture = RenderFrame(f);
      const std::int32_t top = groundY - f.anchorY;
      for (std::int32_t y = 0; y < picture.Height(); ++y)
        for (std::int32_t x = 0; x < picture.Width(); ++x) {
          const Argb p = picture.At(mirrored ? picture.Width() - 1 - x : x, y);
          if (p != keyColour) sheet.Set(left + x, top + y, p);
        }
      sheet.Set(left + f.anchorX, groundY, anchorMark);
      left += f.width + gap;
    }
    const Canvas& icon = mirrored ? icon16 : icon32;
    const std::int32_t iconTop = groundY - icon.Height() - 10;
    for (std::int32_t y = 0; y < icon.Height(); ++y)
      for (std::int32_t x = 0; x < icon.Width(); ++x)
        sheet.Set(left + x, iconTop + y, Over(icon.At(x, y), sheet.At(left + x, iconTop + y)));
  }

  Canvas zoomed(width * zoom, height * zoom, levelGrey);
  for (std::int32_t y = 0; y < zoomed.Height(); ++y)
    for (std::int32_t x = 0; x < zoomed.Width(); ++x)
      zoomed.Set(x, y, sheet.At(x / zoom, y / zoom));
  return zoomed;
}

}  // namespace assetgen
