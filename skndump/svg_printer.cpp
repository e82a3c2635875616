// The picture of a skin, as one SVG document: three orthographic views of the vertex positions
// (front: x across, y up; side: z across, y up; top: x across, z up) on one scale, each vertex a
// dot in the colour of its bone and a vertex of weight 0.5 a cross, and a legend of the bones in
// use with their counts. The envelope is not drawn: what it stands for is not known, and a second
// point or an arrow per vertex would hide the positions it sits among; each vertex's title gives
// its values.
//
// The scale depends on every position, so the file is walked once to survey it before anything
// is drawn. Up to kEveryVertex vertices, the survey keeps them, and each is drawn from there as an
// element of its own with a title. Past that, the file is walked again for each view, which
// draws as it reads: each bone's marks as a few long paths, leaving out a mark that would fall on
// the same pixel as one of the same bone and kind. So the memory is bounded whatever the vertex
// count, and so is the picture, by the pixels of its views.

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "common/number_text.hpp"
#include "common/report.hpp"
#include "common/svg_writer.hpp"
#include "skin.hpp"

namespace skndump {
namespace {

constexpr double kMargin = 16;
constexpr double kTop = 70;    // the title, the note of a stop
constexpr double kView = 320;  // the side of a view's plot, in pixels
constexpr double kPad = 8;     // between a plot and its frame, so that edge marks show whole
constexpr double kBox = kView + 2 * kPad;
constexpr double kTickWidth = 64;  // the value labels left of a view
constexpr double kViewGap = 24;
constexpr double kViewWidth = kTickWidth + kBox + kViewGap;
constexpr double kWidth = 2 * kMargin + 3 * kViewWidth;
constexpr double kLegendTop = kTop + kBox + 60;
constexpr double kLegendRow = 16;
constexpr int kLegendColumns = 4;
constexpr double kLegendColumnWidth = 300;
constexpr std::int64_t kEveryVertex = 2000;
constexpr std::size_t kPathBytes = 1024;  // a path of marks is written once it is this long
constexpr int kBones = 256;               // a bone is a signed byte

constexpr std::string_view kStyle =
    "<style>text{font:11px "
    "sans-serif}.end{text-anchor:end}.mid{text-anchor:middle}.frame{fill:none;stroke:#999}"
    ".tick{stroke:#999}.zero{stroke:#ccc;stroke-dasharray:3 3}.note{fill:#c33}"
    ".dot{stroke:none}.cross{fill:none;stroke-width:1.5}"
    ".dots{fill:none;stroke-width:3;stroke-linecap:round}"
    ".crosses{fill:none;stroke-width:1}";

std::size_t indexOf(Axis axis) {
  return static_cast<std::size_t>(axis);
}
std::size_t slotOf(std::int8_t bone) {
  return static_cast<std::size_t>(bone + 128);
}

// A tick's label: six significant digits are plenty to tell ticks apart.
std::string tickText(double value) {
  char digits[32];
  const char* end =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 6).ptr;
  return std::string(digits, static_cast<std::size_t>(end - digits));
}

// One vertex as far as it was read.
struct Vertex {
  std::int64_t number = 0;
  std::array<float, 3> position{};  // by Axis
  std::array<float, 3> envelope{};
  int positions = 0;  // how many of the floats were read
  int envelopes = 0;
  std::int8_t bone = 0;
  bool boneRead = false;
  std::optional<float> weight;

  // A vertex is drawn once its position, bone and weight are read, if its position can be.
  bool read() const { return positions == 3 && boneRead && weight.has_value(); }
  bool finite() const {
    return std::isfinite(position[0]) && std::isfinite(position[1]) && std::isfinite(position[2]);
  }
  bool half() const { return weight == kHalfWeight; }
};

// Hands each vertex on once it is read: at its end, or at the end of a walk that stopped inside
// it after its weight. Everything else of the file is not drawn.
class VertexPrinter : public Printer {
 public:
  void open(const Scope& scope, std::int64_t number, std::uint64_t) override {
    if (&scope != &kVertex) return;
    vertex_ = Vertex{};
    vertex_.number = number;
  }
  void close(const Scope& scope, std::uint64_t) override {
    if (&scope != &kVertex) return;
    vertexRead(vertex_);
    vertex_ = Vertex{};
  }
  void integer(const Field& field, Span, std::int64_t value) override {
    if (&field != &kBone) return;
    vertex_.bone = static_cast<std::int8_t>(value);
    vertex_.boneRead = true;
  }
  void real(const Field& field, Span, float value) override {
    if (const std::optional<Axis> axis = axisOf(field, kPositionXzy)) {
      vertex_.position[indexOf(*axis)] = value;
      ++vertex_.positions;
    } else if (const std::optional<Axis> envelopeAxis = axisOf(field, kEnvelopeXzy)) {
      vertex_.envelope[indexOf(*envelopeAxis)] = value;
      ++vertex_.envelopes;
    } else if (&field == &kWeight) {
      vertex_.weight = value;
    }
  }

  void end(const Ending& ending) override {
    if (vertex_.read()) vertexRead(vertex_);
    stopped(ending, vertex_.number);
  }
  void cannotOpen(const std::string&) override {}
  bool finish() override { return true; }

 protected:
  virtual void vertexRead(const Vertex& vertex) = 0;
  // How the walk ended, and the vertex it was in (0 for none).
  virtual void stopped(const Ending&, std::int64_t) {}

 private:
  Vertex vertex_;
};

// What the picture needs to know before it draws: the extent of the positions, the bones in use
// with their counts, and how the walk ended.
struct Survey {
  std::array<double, 3> low{};  // by Axis, of the finite positions
  std::array<double, 3> high{};
  std::int64_t finite = 0;
  std::int64_t notFinite = 0;
  std::array<std::int64_t, kBones> vertices{};  // by slotOf(bone)
  std::array<std::int64_t, kBones> halves{};
  std::array<int, kBones> rank{};  // by slotOf(bone): its place in the legend, from 0
  std::vector<std::size_t> slots;  // by rank
  std::string stop;                // what the note says of a walk that did not end complete
  std::vector<Vertex> kept;        // every vertex read, in file order, while everyVertex()

  void add(const Vertex& vertex) {
    keep(vertex);
    if (!vertex.finite()) {
      ++notFinite;
      return;
    }
    for (std::size_t axis = 0; axis < 3; ++axis) {
      const double value = vertex.position[axis];
      low[axis] = finite == 0 ? value : std::min(low[axis], value);
      high[axis] = finite == 0 ? value : std::max(high[axis], value);
    }
    ++finite;
    ++vertices[slotOf(vertex.bone)];
    if (vertex.half()) ++halves[slotOf(vertex.bone)];
  }

  void rankBones() {
    for (std::size_t slot = 0; slot < kBones; ++slot) {
      if (vertices[slot] == 0) continue;
      rank[slot] = static_cast<int>(slots.size());
      slots.push_back(slot);
    }
  }

  bool everyVertex() const { return finite + notFinite <= kEveryVertex; }

  // Called before the vertex is counted: the one past kEveryVertex gives back the room.
  void keep(const Vertex& vertex) {
    if (finite + notFinite < kEveryVertex) {
      kept.push_back(vertex);
    } else if (finite + notFinite == kEveryVertex) {
      std::vector<Vertex>().swap(kept);
    }
  }

  // The one scale of all three views: the widest extent fills a plot.
  double span() const {
    double widest = 0;
    for (std::size_t axis = 0; axis < 3; ++axis) widest = std::max(widest, high[axis] - low[axis]);
    return widest > 0 && std::isfinite(widest) ? widest : 1;
  }
  // The value at a plot's left or bottom edge: each axis centred in its plot.
  double lowEdge(Axis axis) const {
    const std::size_t i = indexOf(axis);
    return low[i] / 2 + high[i] / 2 - span() / 2;
  }

  // "bone 3: 120 vertices, 4 of weight 0.5"
  std::string boneText(int boneRank) const {
    const std::size_t slot = slots[static_cast<std::size_t>(boneRank)];
    std::string text = "bone " + std::to_string(static_cast<int>(slot) - 128) + ": " +
                       std::to_string(vertices[slot]) + " vertices";
    if (halves[slot] > 0) text += ", " + std::to_string(halves[slot]) + " of weight 0.5";
    return text;
  }
};

class SurveyPrinter final : public VertexPrinter {
 public:
  SurveyPrinter(const char* path, Survey& survey) : path_(path), survey_(survey) {}
  void cannotOpen(const std::string& reason) override {
    survey_.stop = "Cannot open " + std::string(path_) + ": " + reason;
    common::writeCannotOpen(stderr, path_, reason);
  }

 private:
  void vertexRead(const Vertex& vertex) override { survey_.add(vertex); }
  void stopped(const Ending& ending, std::int64_t vertex) override {
    if (ending.outcome == Outcome::complete) return;
    std::string where(ending.field->label);
    if (vertex > 0) where.append(" of vertex ").append(std::to_string(vertex));
    survey_.stop.assign("Stopped: ")
        .append(ending.reason)
        .append(" (")
        .append(where)
        .append("). The picture shows what was read.");
    if (ending.outcome != Outcome::fileEndsEarly) return;
    common::writeEndsEarly(stderr, path_, ending.offset, where);
  }

  const char* path_;
  Survey& survey_;
};

// A bone's colour: hues a golden angle apart, so that neighbours in the legend differ most,
// dark enough to show on white.
std::string colourOf(int rank) {
  const double hue = std::fmod(rank * 137.508, 360.0) / 60;
  const double rising = 1 - std::fabs(std::fmod(hue, 2.0) - 1);
  constexpr std::array<std::array<int, 3>, 6> kSectors{
      {{2, 1, 0}, {1, 2, 0}, {0, 2, 1}, {0, 1, 2}, {1, 0, 2}, {2, 0, 1}}};
  const std::array<int, 3>& sector = kSectors[static_cast<std::size_t>(hue) % 6];
  std::string text = "#";
  constexpr char kHex[] = "0123456789abcdef";
  for (const int part : sector) {
    // 2 the full channel, 1 the rising or falling one, 0 none: 0x20 to 0xC0.
    const double channel = part == 2 ? 1 : part == 1 ? rising : 0;
    const auto level = static_cast<unsigned>(std::lround(0x20 + channel * 0xA0));
    text += kHex[level >> 4];
    text += kHex[level & 0xF];
  }
  return text;
}

struct View {
  std::string_view name;
  Axis across;
  Axis up;
  int column;
};

constexpr std::array<View, 3> kViews{
    {{"front", Axis::x, Axis::y, 0}, {"side", Axis::z, Axis::y, 1}, {"top", Axis::x, Axis::z, 2}}};

constexpr std::string_view axisName(Axis axis) {
  return axis == Axis::x ? "x" : axis == Axis::y ? "y" : "z";
}

std::string colourClass(int rank) {
  std::string name = "c";
  name += std::to_string(rank);
  return name;
}

// The title of a vertex's mark: "vertex 12: x 0.5, y 1, z -2; bone 3, weight 1; envelope x 0,
// z 0, y 0".
void writeTitle(common::SvgWriter& svg, const Vertex& vertex) {
  using common::ExactFloat;
  svg.markup("<title>");
  svg.text("vertex ", vertex.number, ": x ", ExactFloat{vertex.position[indexOf(Axis::x)]}, ", y ",
           ExactFloat{vertex.position[indexOf(Axis::y)]}, ", z ",
           ExactFloat{vertex.position[indexOf(Axis::z)]}, "; bone ", int{vertex.bone}, ", weight ",
           ExactFloat{*vertex.weight});
  // The envelope in the order it is stored, as far as it was read.
  constexpr std::array<Axis, 3> kStored{Axis::x, Axis::z, Axis::y};
  for (std::size_t i = 0; i < static_cast<std::size_t>(vertex.envelopes); ++i) {
    svg.text(i == 0 ? "; envelope " : ", ", axisName(kStored[i]), " ",
             ExactFloat{vertex.envelope[indexOf(kStored[i])]});
  }
  svg.markup("</title>");
}

// A text element of `words`, parts as SvgWriter::text takes them.
template <typename... Words>
void text(common::SvgWriter& svg, double x, double y, std::string_view kind,
          const Words&... words) {
  svg.open("text");
  if (!kind.empty()) svg.attribute("class", kind);
  svg.attribute("x", x).attribute("y", y).close();
  svg.text(words...);
  svg.end("text");
}

// Draws one view as a walk reads the vertices: a group that carries the view's scale, for
// programs that read the picture back (a value v across is at x = left + (v - acrossLow) *
// scale, a value up at y = bottom - (v - upLow) * scale), its frame, ticks and marks.
class ViewPrinter final : public VertexPrinter {
 public:
  ViewPrinter(common::SvgWriter& svg, const Survey& survey, const View& view)
      : svg_(svg),
        survey_(survey),
        view_(view),
        scale_(kView / survey.span()),
        left_(kMargin + view.column * kViewWidth + kTickWidth),
        acrossLow_(survey.lowEdge(view.across)),
        upLow_(survey.lowEdge(view.up)) {
    if (survey.everyVertex()) return;
    lastMark_.assign(kPixels * kPixels, 0);
    paths_.resize(survey.slots.size() * 2);
  }

  void begin() {
    svg_.open("g").attribute("at:view", view_.name).attribute("at:across", axisName(view_.across));
    svg_.attribute("at:up", axisName(view_.up)).exactAttribute("at:left", left_ + kPad);
    svg_.exactAttribute("at:bottom", kTop + kPad + kView)
        .exactAttribute("at:acrossLow", acrossLow_);
    svg_.exactAttribute("at:upLow", upLow_).exactAttribute("at:scale", scale_).close();
    svg_.markup("\n");
    svg_.open("rect").attribute("class", "frame").attribute("x", left_).attribute("y", kTop);
    svg_.attribute("width", kBox).attribute("height", kBox).empty();
    text(svg_, left_, kTop - 6, "", view_.name, ": ", axisName(view_.across), " across, ",
         axisName(view_.up), " up");
    drawTicks();
  }

  // The vertices the survey kept, as a walk would hand them on.
  void drawKept() {
    for (const Vertex& vertex : survey_.kept) vertexRead(vertex);
  }

  void finishView() {
    for (std::size_t path = 0; path < paths_.size(); ++path) writePath(path);
    svg_.end("g");
  }

 private:
  static constexpr auto kPixels = static_cast<std::size_t>(kBox) + 1;

  double xOf(double value) const { return left_ + kPad + (value - acrossLow_) * scale_; }
  double yOf(double value) const { return kTop + kPad + kView - (value - upLow_) * scale_; }

  // Ticks a round step apart along both edges, and the zero lines where they fall in the plot.
  void drawTicks() {
    const double span = survey_.span();
    const double magnitude = std::pow(10.0, std::floor(std::log10(span / 4)));
    const double norm = span / 4 / magnitude;
    const double step = (norm < 1.5 ? 1 : norm < 3.5 ? 2 : norm < 7.5 ? 5 : 10) * magnitude;
    const double bottom = kTop + kBox;
    for (const bool across : {true, false}) {
      const double low = across ? acrossLow_ : upLow_;
      const double first = std::ceil(low / step) * step;
      // Far from zero a step can vanish in the value it is added to: at most a dozen ticks.
      for (int i = 0; i < 12; ++i) {
        const double tick = first + i * step;
        if (tick > low + span) break;
        if (across) {
          line("tick", xOf(tick), bottom, xOf(tick), bottom + 4);
          label(xOf(tick), bottom + 15, tickText(tick), "mid");
        } else {
          line("tick", left_ - 4, yOf(tick), left_, yOf(tick));
          label(left_ - 6, yOf(tick) + 4, tickText(tick), "end");
        }
      }
      if (low > 0 || 0 > low + span) continue;
      if (across) {
        line("zero", xOf(0), kTop, xOf(0), bottom);
      } else {
        line("zero", left_, yOf(0), left_ + kBox, yOf(0));
      }
    }
  }

  void line(std::string_view kind, double x1, double y1, double x2, double y2) {
    svg_.open("line").attribute("class", kind).attribute("x1", x1).attribute("y1", y1);
    svg_.attribute("x2", x2).attribute("y2", y2).empty();
  }

  void label(double x, double y, const std::string& words, std::string_view kind = {}) {
    text(svg_, x, y, kind, words);
  }

  void vertexRead(const Vertex& vertex) override {
    if (!vertex.finite()) return;
    const double x = xOf(vertex.position[indexOf(view_.across)]);
    const double y = yOf(vertex.position[indexOf(view_.up)]);
    const int rank = survey_.rank[slotOf(vertex.bone)];
    if (survey_.everyVertex()) {
      drawVertex(vertex, rank, x, y);
    } else {
      addMark(rank, vertex.half(), std::lround(x - left_), std::lround(y - kTop));
    }
  }

  void drawVertex(const Vertex& vertex, int rank, double x, double y) {
    if (vertex.half()) {
      std::string d = "M";
      common::appendSvgNumber(d, x - 2.5);
      d += ' ';
      common::appendSvgNumber(d, y - 2.5);
      d += "l5 5m0-5l-5 5";
      svg_.open("path").attribute("class", colourClass(rank) + " cross").attribute("d", d).close();
      writeTitle(svg_, vertex);
      svg_.end("path");
      return;
    }
    svg_.open("circle").attribute("class", colourClass(rank) + " dot").attribute("cx", x);
    svg_.attribute("cy", y).attribute("r", 2.5).close();
    writeTitle(svg_, vertex);
    svg_.end("circle");
  }

  // A mark at pixel (column, row) of the view's box, unless one of its bone and kind is there.
  void addMark(int rank, bool half, long column, long row) {
    const auto pixels = static_cast<long>(kPixels);
    if (column < 0 || row < 0 || column >= pixels || row >= pixels) return;
    const std::size_t path = static_cast<std::size_t>(rank) * 2 + (half ? 1 : 0);
    std::uint16_t& last = lastMark_[static_cast<std::size_t>(row * pixels + column)];
    if (last == path + 1) return;
    last = static_cast<std::uint16_t>(path + 1);
    const long x = static_cast<long>(left_) + column;
    const long y = static_cast<long>(kTop) + row;
    // A cross is drawn from its top left corner, a dot is a stroke of no length.
    std::string& d = paths_[path];
    d += 'M';
    d += std::to_string(half ? x - 2 : x);
    d += ' ';
    d += std::to_string(half ? y - 2 : y);
    d += half ? "l4 4m0-4l-4 4" : "h0";
    if (d.size() >= kPathBytes) writePath(path);
  }

  void writePath(std::size_t path) {
    std::string& d = paths_[path];
    if (d.empty()) return;
    const int rank = static_cast<int>(path / 2);
    const bool half = path % 2 == 1;
    svg_.open("path").attribute("class", colourClass(rank) + (half ? " crosses" : " dots"));
    svg_.attribute("d", d).close();
    svg_.title(survey_.boneText(rank));
    svg_.end("path");
    d.clear();
  }

  common::SvgWriter& svg_;
  const Survey& survey_;
  const View& view_;
  double scale_;
  double left_;
  double acrossLow_;
  double upLow_;
  std::vector<std::uint16_t> lastMark_;  // by pixel: 1 + the path of the last mark there, or 0
  std::vector<std::string> paths_;       // by 2 × rank, + 1 for crosses
};

double legendRows(const Survey& survey) {
  return std::max<double>(
      1, static_cast<double>((survey.slots.size() + kLegendColumns - 1) / kLegendColumns));
}

// The style sheet, with a class per bone colour.
void writeStyle(common::SvgWriter& svg, const Survey& survey) {
  svg.markup(kStyle);
  for (std::size_t rank = 0; rank < survey.slots.size(); ++rank) {
    const std::string colour = colourOf(static_cast<int>(rank));
    svg.markup(".", colourClass(static_cast<int>(rank)), "{fill:", colour, ";stroke:", colour, "}");
  }
  svg.markup("</style>\n");
}

void writeHeading(common::SvgWriter& svg, const char* path, const Survey& survey) {
  text(svg, kMargin, 20, "", path, ": ", survey.finite + survey.notFinite, " vertices read, ",
       survey.slots.size(), " bones in use");
  std::string scale = "One scale for all three views: 100 pixels are ";
  common::appendExactFloat(scale, static_cast<float>(survey.span() * 100 / kView));
  scale += " units.";
  if (!survey.everyVertex()) scale += " Marks of one bone and kind on one pixel are drawn once.";
  if (survey.notFinite > 0) {
    scale += ' ';
    scale += std::to_string(survey.notFinite);
    scale += " vertices have a position that is not a finite number and are not drawn.";
  }
  text(svg, kMargin, 36, "", scale);
  if (!survey.stop.empty()) text(svg, kMargin, 52, "note", survey.stop);
}

// A swatch and a line of counts for each bone in use, in columns.
void writeLegend(common::SvgWriter& svg, const Survey& survey) {
  text(svg, kMargin, kLegendTop - 20, "",
       survey.slots.empty() ? "No vertex drawn."
                            : "A dot is a vertex of weight 1, a cross one of weight 0.5.");
  for (std::size_t rank = 0; rank < survey.slots.size(); ++rank) {
    const double x = kMargin + static_cast<double>(rank % kLegendColumns) * kLegendColumnWidth;
    const double y = kLegendTop + static_cast<double>(rank / kLegendColumns) * kLegendRow;
    svg.open("circle").attribute("class", colourClass(static_cast<int>(rank)) + " dot");
    svg.attribute("cx", x + 4).attribute("cy", y - 4).attribute("r", 4).empty();
    text(svg, x + 14, y, "", survey.boneText(static_cast<int>(rank)));
  }
}

}  // namespace

int drawSkin(common::ByteSource& input, const char* path) {
  Survey survey;
  SurveyPrinter surveyPrinter(path, survey);
  int code = common::dumpFile(input, surveyPrinter, walkSkin);
  survey.rankBones();
  common::SvgWriter svg(stdout);
  svg.begin(kWidth, kLegendTop + legendRows(survey) * kLegendRow + kMargin);
  writeStyle(svg, survey);
  writeHeading(svg, path, survey);
  writeLegend(svg, survey);
  for (const View& view : kViews) {
    ViewPrinter printer(svg, survey, view);
    printer.begin();
    if (survey.everyVertex()) {
      printer.drawKept();
    } else {
      // A file that is gone by now leaves the views it had.
      code = std::max(code, common::dumpFile(input, printer, walkSkin));
    }
    printer.finishView();
  }
  return svg.finish() ? code : 1;
}

}  // namespace skndump
