#include "skin/TSkinScript.h"

#include <QHash>

#include "skin/TSkinFileReader.h"
#include "skin/TSkinValues.h"

namespace vireo {
namespace {

using L = QLatin1StringView;

const QString kMain = QStringLiteral("main");
const QString kShare = QStringLiteral("share");
const QString kLrc = QStringLiteral("lrc");
const QString kDesktopLrc = QStringLiteral("desktoplrc");

// The "button" ids of each section and the controls they name.
const QHash<QString, QString>& ButtonsOf(TSkinWindowId section) {
  static const QHash<QString, QString> main{
      {QStringLiteral("previous"), QStringLiteral("btn_previous")},
      {QStringLiteral("next"), QStringLiteral("btn_next")},
      {QStringLiteral("menu"), QStringLiteral("btn_menu")},
      {QStringLiteral("min"), QStringLiteral("btn_min")},
      {QStringLiteral("rndlist"), QStringLiteral("btn_rndlist")},
      {QStringLiteral("addfile"), QStringLiteral("btn_addfile")},
      {QStringLiteral("delfile"), QStringLiteral("btn_del")},
      {QStringLiteral("listm"), QStringLiteral("btn_listm")},
      {QStringLiteral("pmode"), QStringLiteral("btn_mode")},
      {QStringLiteral("close"), QStringLiteral("btn_close")}};
  // "revious" is what the skins have always written for the previous-page button.
  static const QHash<QString, QString> share{
      {QStringLiteral("back"), QStringLiteral("btn_back")},
      {QStringLiteral("forward"), QStringLiteral("btn_forward")},
      {QStringLiteral("refresh"), QStringLiteral("btn_refresh")},
      {QStringLiteral("min"), QStringLiteral("btn_min")},
      {QStringLiteral("max"), QStringLiteral("btn_max")},
      {QStringLiteral("close"), QStringLiteral("btn_close")},
      {QStringLiteral("search"), QStringLiteral("btn_Search")},
      {QStringLiteral("revious"), QStringLiteral("btn_Previous")},
      {QStringLiteral("next"), QStringLiteral("btn_Next")}};
  static const QHash<QString, QString> lrc{{QStringLiteral("dlrc"), QStringLiteral("btn_lrc")},
                                           {QStringLiteral("close"), QStringLiteral("btn_close")},
                                           {QStringLiteral("b5"), QStringLiteral("btn_b5")},
                                           {QStringLiteral("f5"), QStringLiteral("btn_f5")},
                                           {QStringLiteral("slrc"), QStringLiteral("btn_Slrc")}};
  static const QHash<QString, QString> none;
  switch (section) {
    case TSkinWindowId::Main:
      return main;
    case TSkinWindowId::Share:
      return share;
    case TSkinWindowId::Lrc:
      return lrc;
    case TSkinWindowId::None:
      break;
  }
  return none;
}

const QHash<QString, QString> kCheckedButtons{
    {QStringLiteral("play"), QStringLiteral("btn_play")},
    {QStringLiteral("sound"), QStringLiteral("btn_sound")},
    {QStringLiteral("share"), QStringLiteral("btn_share")},
    {QStringLiteral("lrc"), QStringLiteral("btn_lrc")}};
const QHash<QString, QString> kLabels{{QStringLiteral("timer"), QStringLiteral("lbl_time")},
                                      {QStringLiteral("pmode"), QStringLiteral("lbl_mode")},
                                      {QStringLiteral("stack"), QStringLiteral("lbl_stack")}};
const QHash<QString, QString> kSliders{
    {QStringLiteral("pgbmusic"), QStringLiteral("sldr_music")},
    {QStringLiteral("pgbvolume"), QStringLiteral("sldr_volume")}};

QString SectionName(TSkinWindowId id) {
  switch (id) {
    case TSkinWindowId::Main:
      return kMain;
    case TSkinWindowId::Share:
      return kShare;
    case TSkinWindowId::Lrc:
      return kLrc;
    case TSkinWindowId::None:
      break;
  }
  return QString();
}

// Reads every attribute of one element; remembers the first colour that is not one.
class Converter {
 public:
  explicit Converter(const TSkinTag& tag) : tag_(tag) {}

  std::optional<QString> Raw(const char* name) const { return tag_.Value(L(name)); }
  std::int16_t Int(const char* name) const { return TSkinValues::Int16(Raw(name)); }
  std::uint8_t Byte(const char* name) const { return TSkinValues::Byte(Raw(name)); }
  TSkinRect Rect(const char* name) const { return TSkinValues::Rect(Raw(name)); }
  bool Bool(const char* name) const { return TSkinValues::Bool(Raw(name)); }
  QString Text(const char* name) const { return Raw(name).value_or(QString()); }
  TSkinColor Color(const char* name) {
    const std::optional<QString> raw = Raw(name);
    const std::optional<TSkinColor> c = TSkinValues::Color(raw);
    if (!c && badColor.isEmpty())
      badColor = QStringLiteral("%1=\"%2\"")
                     .arg(QLatin1StringView(name), raw.value_or(QStringLiteral("(missing)")));
    return c.value_or(TSkinColor{});
  }
  TSkinPlace Place(bool extendedAnchors) const {
    return {Int("x"), Int("y"), Int("w"), Int("h"),
            TSkinValues::Anchors(Raw("align"), extendedAnchors)};
  }

  QString badColor;

 private:
  const TSkinTag& tag_;
};

TSkinWindowValues WindowValues(Converter& c) {
  TSkinWindowValues v;
  v.W = c.Int("w");
  v.H = c.Int("h");
  v.MinW = c.Int("minw");
  v.MinH = c.Int("minh");
  v.MaxW = c.Int("maxw");
  v.MaxH = c.Int("maxh");
  const char* pieces[9] = {"tl", "tm", "tr", "bl", "bm", "br", "lm", "rm", "tc"};
  for (int i = 0; i < 9; ++i) v.Pieces[i] = c.Rect(pieces[i]);
  v.BackColor = c.Color("bgcolor");
  v.Image = c.Text("filename");
  return v;
}

TSkinButtonValues ButtonValues(Converter& c, bool checkable) {
  TSkinButtonValues v;
  v.Place = c.Place(false);
  v.NormalX = c.Int("nx");
  v.NormalY = c.Int("ny");
  v.PressedX = c.Int("px");
  v.PressedY = c.Int("py");
  v.HighlightedX = c.Int("hx");
  v.HighlightedY = c.Int("hy");
  v.Fade = c.Byte("fade");
  v.Hint = c.Text("hit");
  v.Image = c.Text("filename");
  v.Checkable = checkable;
  if (checkable) {
    v.CheckedX = c.Int("cx");
    v.CheckedY = c.Int("cy");
    v.CheckedPX = c.Int("cpx");
    v.CheckedPY = c.Int("cpy");
    v.CheckedHX = c.Int("chx");
    v.CheckedHY = c.Int("chy");
  }
  return v;
}

TSkinLabelValues LabelValues(Converter& c) {
  TSkinLabelValues v;
  v.Place = c.Place(false);
  v.FontName = c.Text("font");
  v.FontColor = c.Color("fcolor");
  v.FontSize = c.Int("fsize");
  return v;
}

TSkinScrollTextValues ScrollTextValues(Converter& c) {
  TSkinScrollTextValues v;
  v.Place = c.Place(false);
  v.FontName = c.Text("font");
  v.FontSize = c.Int("fsize");
  v.FontColor = c.Color("fcolor");
  // Required even when the text is transparent and the colour unused.
  v.BackColor = c.Color("bcolor");
  v.Transparent = c.Bool("tn");
  return v;
}

TSkinSliderValues SliderValues(Converter& c) {
  TSkinSliderValues v;
  v.Place = c.Place(true);
  v.NormalX = c.Int("normalx");
  v.NormalY = c.Int("normaly");
  v.PressedX = c.Int("pressedx");
  v.PressedY = c.Int("pressedy");
  v.HighlightedX = c.Int("highlightedx");
  v.HighlightedY = c.Int("highlightedy");
  v.SliderW = c.Int("buttonw");
  v.SliderH = c.Int("buttonh");
  v.TileA = c.Rect("tilea");
  v.TileB = c.Rect("tileb");
  v.Border = c.Byte("bordersize");
  v.Style = c.Byte("style");
  v.Horizontal = c.Text("kind").compare(L("h"), Qt::CaseInsensitive) == 0;
  v.Image = c.Text("filename");
  return v;
}

TSkinListValues ListValues(Converter& c) {
  TSkinListValues v;
  v.Place = c.Place(true);
  v.BackColor = c.Color("bcolor");
  v.SelectionColor = c.Color("selectioncolor");
  v.TextColor = c.Color("textcolor");
  v.TextCurrentColor = c.Color("textcurrcolor");
  v.TextSelectedColor = c.Color("textscolor");
  v.FontName = c.Text("font");
  v.FontSize = c.Int("fsize");
  v.ScrollBarWidth = c.Byte("sw");
  v.SliderH = c.Int("sh");
  v.NormalX = c.Int("nx");
  v.NormalY = c.Int("ny");
  v.PressedX = c.Int("px");
  v.PressedY = c.Int("py");
  v.HighlightedX = c.Int("hx");
  v.HighlightedY = c.Int("hy");
  v.Track = c.Rect("ti");
  v.Image = c.Text("filename");
  return v;
}

TSkinLyricViewValues LyricViewValues(Converter& c) {
  TSkinLyricViewValues v;
  v.Place = c.Place(true);
  v.BackColor = c.Color("color");
  v.LineColor = c.Color("fcolor");
  v.CurrentLineColor = c.Color("fccolor");
  v.FontName = c.Text("font");
  v.FontSize = c.Byte("fsize");
  v.LineSpace = c.Byte("hz");
  return v;
}

TSkinSpectrumValues SpectrumValues(Converter& c) {
  TSkinSpectrumValues v;
  v.Place = c.Place(true);
  v.Background = c.Rect("fbg");
  v.Bar = c.Rect("fline");
  v.Peak = c.Rect("fpeak");
  v.TTFWidth = c.Int("ttfs");
  v.LineFallOff = c.Int("loff");
  v.PeakFallOff = c.Int("poff");
  v.DrawPeak = c.Bool("sp");
  v.Image = c.Text("filename");
  return v;
}

TSkinDesktopLyricValues DesktopLyricValues(Converter& c) {
  TSkinDesktopLyricValues v;
  v.ColorBegin = c.Color("colorbegin");
  v.ColorEnd = c.Color("colorend");
  v.OutlineColor = c.Color("bgcolor");
  v.Alpha = c.Byte("alpha");
  v.FontName = c.Text("font");
  v.FontSize = c.Byte("fsize");
  v.Height = c.Int("h");
  return v;
}

TSkinPanelValues PanelValues(Converter& c) {
  return {c.Place(true), c.Color("bcolor")};
}

TSkinTextValues TextValues(Converter& c) {
  TSkinTextValues v;
  v.Place = c.Place(true);
  v.BackColor = c.Color("bgcolor");
  v.FontColor = c.Color("fontcolor");
  v.FontName = c.Text("font");
  v.FontSize = c.Int("fontsize");
  return v;
}

// Which control a control element addresses: its kind, owner window and field name; nothing for
// names and ids without a control (and "ckbutton", "label" outside the main section).
struct Target {
  TSkinElementKind kind;
  QString owner;
  QString control;
};

std::optional<Target> Address(const QString& element, const QString& id, TSkinWindowId section) {
  using K = TSkinElementKind;
  if (element == u"button") {
    const auto it = ButtonsOf(section).constFind(id);
    if (it == ButtonsOf(section).cend()) return std::nullopt;
    return Target{K::Button, SectionName(section), *it};
  }
  if (element == u"ckbutton" || element == u"label") {
    if (section != TSkinWindowId::Main) return std::nullopt;
    const QHash<QString, QString>& table = element == u"label" ? kLabels : kCheckedButtons;
    const auto it = table.constFind(id);
    if (it == table.cend()) return std::nullopt;
    return Target{element == u"label" ? K::Label : K::CheckedButton, kMain, *it};
  }
  if (element == u"scrolltext" && id == u"title")
    return Target{K::ScrollText, kMain, QStringLiteral("lbl_title")};
  if (element == u"slider") {
    const auto it = kSliders.constFind(id);
    if (it == kSliders.cend()) return std::nullopt;
    return Target{K::Slider, kMain, *it};
  }
  if (element == u"list" && id == u"playlist")
    return Target{K::List, kMain, QStringLiteral("plst_list")};
  if (element == u"visual") {
    if (id == u"minlrc") return Target{K::LyricView, kLrc, QStringLiteral("lrcshw_min")};
    if (id == u"ost") return Target{K::Spectrum, kMain, QStringLiteral("dvs_1")};
    if (id == u"desktoplrc") return Target{K::DesktopLyric, kDesktopLrc, QString()};
    return std::nullopt;
  }
  if (element == u"panel" && id == u"tabvsv")
    return Target{K::Panel, kShare, QStringLiteral("pnl_psvs")};
  if (element == u"text" && id == u"sinput")
    return Target{K::Text, kShare, QStringLiteral("edt_search")};
  return std::nullopt;
}

TSkinValuesOf Convert(TSkinElementKind kind, Converter& c) {
  using K = TSkinElementKind;
  switch (kind) {
    case K::Window:
      return WindowValues(c);
    case K::Button:
      return ButtonValues(c, false);
    case K::CheckedButton:
      return ButtonValues(c, true);
    case K::Label:
      return LabelValues(c);
    case K::ScrollText:
      return ScrollTextValues(c);
    case K::Slider:
      return SliderValues(c);
    case K::List:
      return ListValues(c);
    case K::LyricView:
      return LyricViewValues(c);
    case K::Spectrum:
      return SpectrumValues(c);
    case K::DesktopLyric:
      return DesktopLyricValues(c);
    case K::Panel:
      return PanelValues(c);
    case K::Text:
      return TextValues(c);
  }
  return WindowValues(c);
}

}  // namespace

TSkinScript TSkinScript::FromFile(const QString& path) {
  const TSkinFileReader::Result read = TSkinFileReader::Read(path);
  if (!read.opened) {
    TSkinScript script;
    script.outcome = Outcome::NotOpened;
    return script;
  }
  return FromTags(read.tags, read.complete, read.error);
}

TSkinScript TSkinScript::FromBytes(const QByteArray& bytes) {
  const TSkinFileReader::Result read = TSkinFileReader::ReadBytes(bytes);
  return FromTags(read.tags, read.complete, read.error);
}

TSkinScript TSkinScript::FromTags(const std::vector<TSkinTag>& tags, bool complete,
                                  const QString& readError) {
  TSkinScript script;
  script.error = readError;
  bool rootAccepted = false;
  TSkinWindowId current = TSkinWindowId::None;
  bool seen[4] = {false, false, false, false};

  auto stop = [&](Outcome outcome, const TSkinTag& tag, const QString& why) {
    script.outcome = outcome;
    script.error = QStringLiteral("line %1, <%2>: %3").arg(tag.line).arg(tag.name, why);
    return script;
  };

  for (const TSkinTag& tag : tags) {
    if (!rootAccepted) {
      if (!tag.NameIs(L("petrel.skin"))) continue;
      const std::optional<QString> ver = tag.Value(L("ver"));
      if (ver != QStringLiteral("3.0")) {
        script.steps.clear();
        return stop(Outcome::RootRefused, tag,
                    QStringLiteral("version \"%1\" is not 3.0").arg(ver.value_or(QString())));
      }
      rootAccepted = true;
      continue;
    }
    if (tag.kind == TSkinTag::Kind::End || tag.attributes.isEmpty()) continue;
    const QString element = tag.name.toLower();

    if (tag.kind == TSkinTag::Kind::Start) {
      if (element != u"window") continue;
      const QString id = tag.Value(L("id")).value_or(QString()).toLower();
      TSkinWindowId window = TSkinWindowId::None;
      if (id == kMain) window = TSkinWindowId::Main;
      if (id == kShare) window = TSkinWindowId::Share;
      if (id == kLrc) window = TSkinWindowId::Lrc;
      if (window == TSkinWindowId::None || seen[int(window)]) continue;
      seen[int(window)] = true;
      current = window;
      Converter c(tag);
      TSkinStep step{TSkinElementKind::Window,
                     window,
                     SectionName(window),
                     QString(),
                     Convert(TSkinElementKind::Window, c),
                     tag.line};
      if (!c.badColor.isEmpty())
        return stop(Outcome::BadColor, tag, QStringLiteral("bad colour ") + c.badColor);
      script.steps.push_back(std::move(step));
      continue;
    }

    // An empty-element tag: a control element, once a section has begun.
    if (current == TSkinWindowId::None) continue;
    const QString id = tag.Value(L("id")).value_or(QString()).toLower();
    const std::optional<Target> target = Address(element, id, current);
    if (!target) continue;
    Converter c(tag);
    TSkinStep step{target->kind, current, target->owner, target->control, Convert(target->kind, c),
                   tag.line};
    if (!c.badColor.isEmpty())
      return stop(Outcome::BadColor, tag, QStringLiteral("bad colour ") + c.badColor);
    script.steps.push_back(std::move(step));
  }

  if (!complete) {
    script.outcome = Outcome::Broken;
    script.error = readError.isEmpty() ? QStringLiteral("the file is not well-formed") : readError;
  } else if (!rootAccepted) {
    script.outcome = Outcome::RootMissing;
    script.error = QStringLiteral("no petrel.skin element");
  }
  return script;
}

}  // namespace vireo
