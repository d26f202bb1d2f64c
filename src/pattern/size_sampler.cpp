#include "pattern/size_sampler.h"

#include <algorithm>
#include <cmath>

#include "pattern/draw.h"

namespace gara {

namespace {

// Groups of each figure, at most: the copies of a figure whose numbers vary take as many
// different angles and stretches as the run has segments or curves.
constexpr double kMaxGroups = 64;
// The commands written for one figure's groups together, at most, so that a figure of millions
// of commands is written about as often as the one copy the run places of it.
constexpr double kSampledCommands = 1 << 16;
// The lines written besides the copies, at most: beyond them the estimate would take as long as
// a selection of millions of pieces takes to write.
constexpr double kSampledLines = 1 << 16;
// The part of a bent copy's bytes added for the copies not measured.
constexpr double kBentMargin = 1.0 / 32;

}  // namespace

SizeSampler::SizeSampler(const DrawingState& state, const RunContext& run,
                         const std::array<const FigureModel*, kFigureSlots>& models,
                         const std::array<double, kFigureSlots>& copies, double lines)
    : state_(state), run_(run), models_(models), writer_(image_, state) {
  image_.StreamTo(discard_);
  // As the run writes them before the drawing.
  if (state.paperScaleFlag) writer_.AppendLine("bz");
  EmitWritingAttributes(run_, writer_);
  for (size_t slot = 0; slot < kFigureSlots; ++slot) {
    const FigureModel* model = models_[slot];
    if (!model || !model->present) {
      models_[slot] = nullptr;
      continue;
    }
    const double commands = std::max<double>(1, static_cast<double>(model->entityCommands));
    const double groups = std::clamp(std::floor(kSampledCommands / commands), 1.0, kMaxGroups);
    groups_[slot].every = std::max(1.0, std::ceil(copies[slot] / groups));
  }
  lineEvery_ = std::max(1.0, std::ceil(lines / kSampledLines));
}

void SizeSampler::Attributes() { EmitWritingAttributes(run_, writer_); }

bool SizeSampler::Writes() {
  if (std::fmod(lines_++, lineEvery_) == 0) return true;
  unwritten_ += lastLine_;
  return false;
}

void SizeSampler::Written(uint64_t before) {
  lastLine_ = static_cast<double>(image_.streamedBytes() - before);
}

void SizeSampler::Line(double x1, double y1, double x2, double y2) {
  if (!Writes()) return;
  const uint64_t before = image_.streamedBytes();
  // As the drawing's sink leaves out what is not finite.
  if (std::isfinite(x1) && std::isfinite(y1) && std::isfinite(x2) && std::isfinite(y2)) {
    writer_.EmitLine(x1, y1, x2, y2);
  }
  Written(before);
}

void SizeSampler::Arc(double cx, double cy, double r, double startDeg, double endDeg) {
  if (!Writes()) return;
  const uint64_t before = image_.streamedBytes();
  writer_.EmitArc(cx, cy, r, startDeg, endDeg, 1, 0);
  Written(before);
}

void SizeSampler::Circle(double cx, double cy, double r) {
  if (!Writes()) return;
  const uint64_t before = image_.streamedBytes();
  writer_.EmitCircle(cx, cy, r);
  Written(before);
}

SizeSampler::Group* SizeSampler::Farther(FigureSlot slot, double far, bool bent) {
  Group& group = groups_[static_cast<size_t>(slot)];
  double& farthest = bent ? group.bentFar : group.far;
  if (!models_[static_cast<size_t>(slot)] || !(far > farthest)) return nullptr;
  farthest = far;
  return &group;
}

void SizeSampler::Taken(FigureSlot slot) {
  const size_t i = static_cast<size_t>(slot);
  if (!models_[i]) return;
  Group& group = groups_[i];
  if (++group.taken < group.every) return;
  Write(group, *models_[i]);
  // More copies than the count expected (it never happens) are taken in one group more.
  if (group.groups >= 2 * kMaxGroups) group.every = INFINITY;
}

void SizeSampler::Figure(FigureSlot slot, double x, double y, double angle, double stretch) {
  // The drawing leaves such a copy out.
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(angle)) return;
  if (Group* group = Farther(slot, std::max(std::fabs(x), std::fabs(y)), false)) {
    group->copy = {{x, y}, angle, stretch, std::nullopt};
  }
  Taken(slot);
}

void SizeSampler::BentFigure(FigureSlot slot, const BentBox& box, double stretch) {
  const Point c = box.rigidCentre;
  if (Group* group = Farther(slot, std::max(std::fabs(c.x), std::fabs(c.y)), true)) {
    group->bentCopy = {c, box.rigidAngle, stretch, box};
  }
  Group& group = groups_[static_cast<size_t>(slot)];
  if (models_[static_cast<size_t>(slot)]) ++group.bent;
  double turn = 0;
  for (const BentBox::Section& s : box.sections()) {
    turn += (s.x1 - s.x0) * PieceReach(*s.piece).curvature;
  }
  // A copy joined round a joint takes the arcs and cut lines of its turn.
  for (size_t k = 0; k + 1 < box.sections().size(); ++k) turn += std::fabs(box.JointAfter(k).turn);
  if (turn > group.turn && models_[static_cast<size_t>(slot)]) {
    group.turn = turn;
    group.turning = {c, box.rigidAngle, stretch, box};
  }
  Taken(slot);
}

void SizeSampler::Write(Group& group, const FigureModel& model) {
  const double rigid = group.far >= 0 ? CopyBytes(model, group.copy) : 0;
  double bent = group.bentFar >= 0 ? CopyBytes(model, group.bentCopy) : 0;
  if (group.turning.box) bent = std::max(bent, CopyBytes(model, group.turning));
  // Bent copies differ by a line or two where a joint or the end of a piece cuts their chains.
  group.bytes += (group.taken - group.bent) * rigid + group.bent * bent * (1 + kBentMargin);
  ++group.groups;
  group.taken = 0;
  group.bent = 0;
  group.far = -1;
  group.copy = {};
  group.bentFar = -1;
  group.bentCopy.box.reset();
  group.turn = -1;
  group.turning.box.reset();
}

double SizeSampler::CopyBytes(const FigureModel& model, const Copy& c) const {
  Discard file;
  OutputBuffer image;
  image.StreamTo(file);
  CommandWriter writer(image, state_);
  // A copy follows the writing attributes, and they are put back after it.
  EmitWritingAttributes(run_, writer);
  const uint64_t before = image.streamedBytes();
  if (c.box) {
    ReplayBentFigure(model, *c.box, c.stretch, writer);
  } else {
    ReplayFigure(model, c.at.x, c.at.y, c.angle, writer, c.stretch);
  }
  EmitWritingAttributes(run_, writer);
  const double bytes = static_cast<double>(image.streamedBytes() - before);
  static_cast<void>(image.FinishStream());
  return bytes;
}

double SizeSampler::Bytes() {
  double bytes = static_cast<double>(image_.streamedBytes()) + unwritten_;
  for (size_t slot = 0; slot < kFigureSlots; ++slot) {
    Group& group = groups_[slot];
    if (models_[slot] && group.taken > 0) Write(group, *models_[slot]);
    bytes += group.bytes;
  }
  return bytes;
}

}  // namespace gara
