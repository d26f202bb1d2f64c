#include "pattern/copy_sampler.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace gara {

namespace {

// Groups of each figure, at most: the copies of a figure whose numbers vary take as many
// different angles and stretches as the run has segments or curves.
constexpr double kMaxGroups = 64;
// The commands written for one figure's groups together, at most, so that a figure of millions
// of commands is written about as often as the one copy the run places of it.
constexpr double kSampledCommands = 1 << 16;

// Takes the bytes and forgets them.
class DiscardingFile final : public OutputFile {
 public:
  bool Write(std::string_view) override { return true; }
  bool Close() override { return true; }
};

}  // namespace

CopySampler::CopySampler(const DrawingState& state,
                         const std::array<const FigureModel*, kFigureSlots>& models,
                         const std::array<double, kFigureSlots>& copies)
    : state_(state), models_(models) {
  for (size_t slot = 0; slot < kFigureSlots; ++slot) {
    const FigureModel* model = models_[slot];
    if (!model || !model->present) {
      models_[slot] = nullptr;
      continue;
    }
    const double commands = std::max<double>(1, static_cast<double>(model->entityCommands));
    const double groups = std::clamp(std::floor(kSampledCommands / commands), 1.0, kMaxGroups);
    const double every = std::ceil(copies[slot] / groups);
    groups_[slot].every = every >= 1 ? every : 1;
  }
}

CopySampler::Group* CopySampler::Farther(FigureSlot slot, double far) {
  Group& group = groups_[static_cast<size_t>(slot)];
  if (!models_[static_cast<size_t>(slot)] || !(far > group.far)) return nullptr;
  group.far = far;
  return &group;
}

void CopySampler::Taken(FigureSlot slot) {
  const size_t i = static_cast<size_t>(slot);
  if (!models_[i]) return;
  Group& group = groups_[i];
  if (++group.taken < group.every) return;
  Write(group, *models_[i]);
  // More copies than the count expected (it never happens) are taken in one group more.
  if (group.groups >= 2 * kMaxGroups) group.every = INFINITY;
}

void CopySampler::Figure(FigureSlot slot, double x, double y, double angle, double stretch) {
  // The drawing leaves such a copy out.
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(angle)) return;
  if (Group* group = Farther(slot, std::max(std::fabs(x), std::fabs(y)))) {
    group->copy = {{x, y}, angle, stretch, std::nullopt};
  }
  Taken(slot);
}

void CopySampler::BentFigure(FigureSlot slot, const BentBox& box, double stretch) {
  const Point c = box.rigidCentre;
  if (Group* group = Farther(slot, std::max(std::fabs(c.x), std::fabs(c.y)))) {
    group->copy = {c, box.rigidAngle, stretch, box};
  }
  Taken(slot);
}

void CopySampler::Write(Group& group, const FigureModel& model) {
  if (group.far >= 0) group.bytes += group.taken * CopyBytes(model, group.copy);
  ++group.groups;
  group.taken = 0;
  group.far = -1;
  group.copy.box.reset();
}

double CopySampler::CopyBytes(const FigureModel& model, const Copy& c) const {
  DiscardingFile file;
  OutputBuffer image;
  image.StreamTo(file);
  CommandWriter writer(image, state_);
  if (c.box) {
    ReplayBentFigure(model, *c.box, c.stretch, writer);
  } else {
    ReplayFigure(model, c.at.x, c.at.y, c.angle, writer, c.stretch);
  }
  const double bytes = static_cast<double>(image.streamedBytes());
  static_cast<void>(image.FinishStream());
  return bytes;
}

double CopySampler::Bytes() {
  double bytes = 0;
  for (size_t slot = 0; slot < kFigureSlots; ++slot) {
    Group& group = groups_[slot];
    if (models_[slot] && group.taken > 0) Write(group, *models_[slot]);
    bytes += group.bytes;
  }
  return bytes;
}

}  // namespace gara
