#include "test_support.h"

LayoutBuilder::LayoutBuilder() : text(static_cast<std::size_t>(levelColumns) * levelRows, ' ') {
  Row(0, 0, levelColumns - 1);
  Row(levelRows - 1, 0, levelColumns - 1);
  Column(0, 0, levelRows - 1);
  Column(levelColumns - 1, 0, levelRows - 1);
}

LayoutBuilder& LayoutBuilder::Put(int row, int column, char c) {
  text[static_cast<std::size_t>(row) * levelColumns + column] = c;
  return *this;
}

LayoutBuilder& LayoutBuilder::Row(int row, int firstColumn, int lastColumn, char c) {
  for (int column = firstColumn; column <= lastColumn; ++column) Put(row, column, c);
  return *this;
}

LayoutBuilder& LayoutBuilder::Column(int column, int firstRow, int lastRow, char c) {
  for (int row = firstRow; row <= lastRow; ++row) Put(row, column, c);
  return *this;
}

PlayerRig::PlayerRig(const char* layout) : tileMap(layout), controller(player, keyboard) {}

int PlayerRig::Step() {
  controller.ProcessKeyEvents();
  player.data.state->OnUpdate();
  return controller.ResolveCollisions(tileMap);
}

void PlayerRig::Place(float x, float y, float vx, float vy) {
  player.data.position = {x, y};
  player.data.velocity = {vx, vy};
}

void WriteBmp24(const std::filesystem::path& file, std::uint32_t width, std::uint32_t height,
                const std::vector<std::uint32_t>& pixels) {
  std::filesystem::create_directories(file.parent_path());
  WriteBmp24(file, width, height, pixels.data());
}

ScopedCwd::ScopedCwd(const std::filesystem::path& dir) : previous(std::filesystem::current_path()) {
  std::filesystem::current_path(dir);
}

ScopedCwd::~ScopedCwd() { std::filesystem::current_path(previous); }
