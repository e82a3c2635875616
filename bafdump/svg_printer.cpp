// The picture of an animation, as one SVG document: a row per bone, headed by its name, and a
// panel per component with its decoded samples over the frames, on a value axis from -1 to 1.
// It is drawn as the file is read. A panel draws every sample while there are at most as many
// frames as pixels across; past that, each pixel column as the least and the greatest sample
// in it, as waveform views do, so any number of frames takes the same few elements. Repeat
// runs show as the flat stretches they are, and the samples of a run that goes past the frame
// count are drawn beyond its mark, in a strip of their own. Every element has a title: the
// exact sample, or the frames and values of its column.

#include <algorithm>
#include <cstdio>
#include <string>

#include "animation.hpp"
#include "common/number_text.hpp"
#include "common/report.hpp"
#include "common/svg_writer.hpp"

namespace bafdump {
namespace {

constexpr double kMargin = 16;
constexpr double kTop = 70;          // the title, the note of a stop, the component headings
constexpr double kLabelWidth = 120;  // the bone names
constexpr double kAxisWidth = 30;    // the value axis of each row
constexpr double kPlotWidth = 160;
constexpr double kPastWidth = 14;  // the strip for samples past the frame count
constexpr double kPanelWidth = kPlotWidth + kPastWidth + 16;
constexpr double kPlotHeight = 56;
constexpr double kRowHeight = kPlotHeight + 24;
constexpr int kComponents = 7;
constexpr double kWidth = 2 * kMargin + kLabelWidth + kAxisWidth + kComponents * kPanelWidth;
// A run goes past the frame count by at most this many frames.
constexpr double kMostPast = 127;

constexpr std::string_view kStyle =
    "<style>text{font:11px "
    "sans-serif}.name{font-weight:bold}.end{text-anchor:end}.grid{stroke:#ddd}"
    ".mark{stroke:#c33;stroke-dasharray:2 2}.samples{fill:none;stroke:#25a;stroke-width:1.2}"
    ".column{stroke:#25a;stroke-width:1;stroke-linecap:square}.repeat{stroke:#5a2;stroke-width:2}"
    ".past{fill:none;stroke:#c60;stroke-width:1.2}.hit{fill:#25a;fill-opacity:0.35}"
    ".note{fill:#c33}</style>\n";

using common::ExactFloat;

class SvgPrinter final : public Printer {
 public:
  explicit SvgPrinter(const char* path) : path_(path), svg_(stdout) {}

  void open(const Scope& scope, std::int64_t number, std::uint64_t) override {
    if (&scope == &kNameRecord) {
      bone_ = number;
    } else if (&scope == &kBone) {
      bone_ = number;
      drawAxis();
    } else if (&scope == &kComponent) {
      component_ = static_cast<int>(number);
      nextFrame_ = 1;
      openPanel();
    }
  }
  void close(const Scope& scope, std::uint64_t) override {
    if (&scope == &kNameRecord) bone_ = 0;
    if (&scope == &kComponent) closePanel();
  }
  void integer(const Field& field, Span, std::int64_t value) override {
    if (&field == &kBoneCount) {
      beginPicture(static_cast<std::uint16_t>(value));
    } else if (&field == &kFrameCount) {
      frames_ = static_cast<std::int32_t>(value);
    } else if (&field == &kPrecision) {
      headings(value);
    }
  }
  void name(const Field&, Span, std::string_view bytes) override {
    svg_.open("text").attribute("class", "name").attribute("x", kMargin);
    svg_.attribute("y", rowTop(bone_) + kPlotHeight / 2 + 4).close();
    svg_.text(bytes.substr(0, bytes.find('\0')));
    svg_.end("text");
  }
  void sample(const Field& field, Span, float value, int frames) override {
    if (&field == &kRepeatedSample) drawRepeat(nextFrame_, nextFrame_ + frames - 1, value);
    for (std::int64_t i = 0; i < frames; ++i) place(nextFrame_ + i, value);
    nextFrame_ += frames;
  }

  void end(const Ending& ending) override {
    if (panelOpen_) closePanel();
    if (!svgBegun()) svg_.begin(kWidth, kTop + kMargin);
    if (ending.outcome == Outcome::complete) return;
    const std::string where = std::string(ending.field->label) + within(component_, bone_);
    note("Stopped: " + ending.reason + " (" + where + "). The picture shows what was read.");
    if (ending.outcome == Outcome::fileEndsEarly) {
      common::writeEndsEarly(stderr, path_, ending.offset, where);
    }
  }
  void cannotOpen(const std::string& reason) override {
    svg_.begin(kWidth, kTop + kMargin);
    note("Cannot open " + std::string(path_) + ": " + reason);
    common::writeCannotOpen(stderr, path_, reason);
  }
  bool finish() override { return svg_.finish(); }

 private:
  void beginPicture(std::uint16_t bones) {
    bones_ = bones;
    svg_.begin(kWidth, kTop + bones * kRowHeight + kMargin);
    svg_.markup(kStyle);
    svg_.open("text").attribute("x", kMargin).attribute("y", 20).close();
    svg_.text(path_, ": ", bones, " bones");
    svg_.end("text");
  }
  // The frames and precision under the title, and the heading of each component's panels.
  void headings(std::int64_t precision) {
    svg_.open("text").attribute("x", kMargin).attribute("y", 36).close();
    svg_.text(frames_, " frames, precision ", precision,
              perSample() ? ": every sample" : ": the least and greatest sample of each column");
    svg_.end("text");
    for (int component = 1; component <= kComponents; ++component) {
      svg_.open("text").attribute("x", panelLeft(component)).attribute("y", kTop - 8).close();
      svg_.text("component ", component);
      svg_.end("text");
    }
  }
  bool svgBegun() const { return bones_ >= 0; }
  // Every sample is drawn while the frames are no more than the pixels across.
  bool perSample() const { return frames_ <= kPlotWidth; }
  double rowTop(std::int64_t bone) const {
    return kTop + static_cast<double>(bone - 1) * kRowHeight;
  }
  static double panelLeft(int component) {
    return kMargin + kLabelWidth + kAxisWidth + (component - 1) * kPanelWidth;
  }
  double xOf(std::int64_t frame) const {
    const double left = panelLeft(component_);
    if (frame > frames_) {
      const double past = static_cast<double>(frame - frames_) / kMostPast;
      return left + kPlotWidth + std::min(1.0, past) * kPastWidth;
    }
    if (frames_ == 1) return left + kPlotWidth / 2;
    return left + static_cast<double>(frame - 1) * kPlotWidth / static_cast<double>(frames_ - 1);
  }
  double yOf(float value) const {
    return rowTop(bone_) + kPlotHeight / 2 - static_cast<double>(value) * kPlotHeight / 2;
  }

  // "frame 3: " or "frames 3 to 9: ", then `rest`.
  template <typename... Rest>
  void titleOfFrames(std::int64_t first, std::int64_t last, const Rest&... rest) {
    if (first == last) return svg_.title("frame ", first, ": ", rest...);
    svg_.title("frames ", first, " to ", last, ": ", rest...);
  }

  void note(const std::string& text) {
    svg_.open("text").attribute("class", "note").attribute("x", kMargin).attribute("y", 52).close();
    svg_.text(text);
    svg_.end("text");
  }

  // The ticks of the value axis, and a grid line for each across the row's panels.
  void drawAxis() {
    const double right = panelLeft(kComponents) + kPlotWidth + kPastWidth;
    for (const float tick : {-1.0f, -0.5f, 0.0f, 0.5f, 1.0f}) {
      const double y = yOf(tick);
      svg_.open("line").attribute("class", "grid").attribute("x1", panelLeft(1) - 4);
      svg_.attribute("y1", y).attribute("x2", right).attribute("y2", y).empty();
      svg_.open("text").attribute("class", "end").attribute("x", panelLeft(1) - 8);
      svg_.attribute("y", y + 4).close();
      svg_.text(ExactFloat{tick});
      svg_.end("text");
    }
  }

  // A panel is a group that carries its scale, for programs that read the picture back.
  void openPanel() {
    svg_.open("g").attribute("at:bone", static_cast<double>(bone_));
    svg_.attribute("at:component", component_)
        .attribute("at:frameCount", static_cast<double>(frames_));
    if (frames_ >= 1) {
      svg_.attribute("at:firstFrameX", xOf(1)).attribute("at:lastFrameX", xOf(frames_));
    }
    svg_.attribute("at:zeroY", yOf(0)).attribute("at:unitHeight", kPlotHeight / 2).close();
    if (frames_ >= 1) drawFrameAxis();
    points_.clear();
    past_.clear();
    columnOpen_ = false;
    panelOpen_ = true;
  }

  // The first frame and the frame count under the panel, and the count's mark across it.
  void drawFrameAxis() {
    const double x = xOf(frames_);
    const double bottom = rowTop(bone_) + kPlotHeight;
    svg_.open("line").attribute("class", "mark").attribute("x1", x);
    svg_.attribute("y1", rowTop(bone_)).attribute("x2", x).attribute("y2", bottom).close();
    svg_.title("frame ", frames_, ", the frame count");
    svg_.end("line");
    svg_.open("text").attribute("x", xOf(1)).attribute("y", bottom + 12).close();
    svg_.text("1");
    svg_.end("text");
    if (frames_ == 1) return;
    svg_.open("text")
        .attribute("class", "end")
        .attribute("x", x)
        .attribute("y", bottom + 12)
        .close();
    svg_.text(frames_);
    svg_.end("text");
  }

  void closePanel() {
    flushColumn();
    if (!points_.empty()) {
      svg_.open("polyline").attribute("class", "samples").attribute("points", points_).empty();
    }
    if (!past_.empty()) {
      svg_.open("polyline").attribute("class", "past").attribute("points", past_).close();
      svg_.title(pastCount_, " samples past the frame count");
      svg_.end("polyline");
    }
    pastCount_ = 0;
    svg_.end("g");
    panelOpen_ = false;
  }

  void appendPoint(std::string& points, double x, double y) {
    if (!points.empty()) points += ' ';
    common::appendSvgNumber(points, x);
    points += ',';
    common::appendSvgNumber(points, y);
  }

  void place(std::int64_t frame, float value) {
    if (frame > frames_) {
      appendPoint(past_, xOf(frame), yOf(value));
      ++pastCount_;
    } else if (perSample()) {
      appendPoint(points_, xOf(frame), yOf(value));
      svg_.open("circle").attribute("class", "hit").attribute("cx", xOf(frame));
      svg_.attribute("cy", yOf(value)).attribute("r", 2).close();
      svg_.title("frame ", frame, ": ", ExactFloat{value});
      svg_.end("circle");
    } else {
      addToColumn(frame, value);
    }
  }

  // The pixel column a frame falls in, 0 the first.
  std::int64_t columnOf(std::int64_t frame) const {
    return (frame - 1) * static_cast<std::int64_t>(kPlotWidth) / frames_;
  }

  void addToColumn(std::int64_t frame, float value) {
    if (columnOpen_ && columnOf(frame) != column_) flushColumn();
    if (!columnOpen_) {
      column_ = columnOf(frame);
      columnFirst_ = frame;
      least_ = greatest_ = value;
      columnOpen_ = true;
    }
    columnLast_ = frame;
    least_ = std::min(least_, value);
    greatest_ = std::max(greatest_, value);
  }

  // A column's least and greatest sample, as one stroke at least a pixel high.
  void flushColumn() {
    if (!columnOpen_) return;
    const double x = panelLeft(component_) + static_cast<double>(column_) + 0.5;
    const double top = yOf(greatest_);
    const double bottom = std::max(yOf(least_), top + 1);
    std::string path = "M";
    common::appendSvgNumber(path, x);
    path += ' ';
    common::appendSvgNumber(path, top);
    path += 'V';
    common::appendSvgNumber(path, bottom);
    svg_.open("path").attribute("class", "column").attribute("d", path).close();
    titleOfFrames(columnFirst_, columnLast_, ExactFloat{least_}, " to ", ExactFloat{greatest_});
    svg_.end("path");
    columnOpen_ = false;
  }

  // A repeat run over more than one frame (in a panel of columns, over more than two columns)
  // drawn as its own flat line, up to the frame count.
  void drawRepeat(std::int64_t first, std::int64_t last, float value) {
    const std::int64_t end = std::min<std::int64_t>(last, frames_);
    if (end <= first) return;
    if (!perSample() && columnOf(end) - columnOf(first) < 2) return;
    svg_.open("line").attribute("class", "repeat").attribute("x1", xOf(first));
    svg_.attribute("y1", yOf(value)).attribute("x2", xOf(end)).attribute("y2", yOf(value)).close();
    titleOfFrames(first, end, ExactFloat{value}, ", one repeat run");
    svg_.end("line");
  }

  const char* path_;
  common::SvgWriter svg_;
  std::int64_t bones_ = -1;  // -1 until the bone count is read, which begins the picture
  std::int64_t bone_ = 0;    // the bone being read, 0 for none
  int component_ = 0;
  std::int32_t frames_ = 0;
  std::int64_t nextFrame_ = 1;
  bool panelOpen_ = false;
  std::string points_;  // of a panel that draws every sample
  std::string past_;    // of the samples past the frame count
  std::int64_t pastCount_ = 0;
  bool columnOpen_ = false;
  std::int64_t column_ = 0;
  std::int64_t columnFirst_ = 0;
  std::int64_t columnLast_ = 0;
  float least_ = 0;
  float greatest_ = 0;
};

}  // namespace

int drawAnimation(common::ByteSource& input, const char* path) {
  SvgPrinter printer(path);
  return common::dumpFile(input, printer, walkAnimation);
}

}  // namespace bafdump
