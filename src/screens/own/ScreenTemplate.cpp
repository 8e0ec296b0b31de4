#include "screens/own/ScreenTemplate.h"

#include "codec/ModuleCodec.h"
#include "screens/base/ScreenLines.h"

#include <cmath>

namespace {

using Arg = ScreenTemplate::Argument;

constexpr ScreenTemplate::ValueInfo Catalogue[] = {
    {"time", Arg::Optional, false, "{time:HH:mm}", "Local time (Qt format: HH:mm:ss, h:mm ap)"},
    {"date", Arg::Optional, false, "{date:ddd d MMM}", "Local date (Qt format: dd.MM.yyyy)"},
    {"worldtime", Arg::Optional, false, "{worldtime:HH:mm}", "Time at the world time place"},
    {"cpu", Arg::None, true, "{cpu}", "Processor load, percent"},
    {"mem", Arg::None, true, "{mem}", "Memory load, percent"},
    {"temp1", Arg::None, true, "{temp1}", "First temperature, \u00b0C"},
    {"temp2", Arg::None, true, "{temp2}", "Second temperature, \u00b0C"},
    {"temp3", Arg::None, true, "{temp3}", "Third temperature, \u00b0C"},
    {"temp4", Arg::None, true, "{temp4}", "Fourth temperature, \u00b0C"},
    {"fan", Arg::None, true, "{fan}", "Fan speed, rpm"},
    {"host", Arg::None, false, "{host}", "Host name"},
    {"address", Arg::None, false, "{address}", "Network address"},
    {"rx", Arg::None, true, "{rx}", "Received, kB/s"},
    {"tx", Arg::None, true, "{tx}", "Sent, kB/s"},
    {"title", Arg::None, false, "{title}", "Media player: title"},
    {"artist", Arg::None, false, "{artist}", "Media player: artist"},
    {"state", Arg::None, false, "{state}", "Media player: PLAYING, PAUSED or STOPPED"},
    {"position", Arg::None, false, "{position}", "Media player: position (m:ss)"},
    {"length", Arg::None, false, "{length}", "Media player: track length (m:ss)"},
    {"volume", Arg::None, true, "{volume}", "Media player: volume, percent"},
    {"sky", Arg::None, false, "{sky}", "Weather: sky"},
    {"temperature", Arg::None, true, "{temperature}", "Weather: temperature"},
    {"humidity", Arg::None, true, "{humidity}", "Weather: humidity"},
    {"price", Arg::None, true, "{price}", "Stock: last price"},
    {"change", Arg::None, true, "{change}", "Stock: change"},
    {"unread", Arg::None, true, "{unread}", "Unread mail"},
    {"file", Arg::Required, true, "{file:~/note.txt}", "First line of a file"},
    {"exec", Arg::Required, true, "{exec:uptime -p}", "First line a command prints (no shell)"},
    {"mqtt", Arg::Required, true, "{mqtt:home/temp}",
     "MQTT: a topic's latest payload, |KEY for a JSON member"},
    {"bar", Arg::Required, false, "{bar:cpu}", "Bar of 0-100: a number or a value, :WIDTH"},
};

constexpr int Width = ScreenLines::Width;

// Text as module codes; control characters (tabs, escapes) become spaces.
QByteArray codes(QString text, const ModuleCodec& codec)
{
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            c = u' ';
    }
    return codec.fromUnicode(text);
}

bool allDigits(QStringView s)
{
    if (s.isEmpty() || s.size() > 3)
        return false;
    for (QChar c : s) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// A value written name[:arg] that the catalogue takes, or nothing.
std::optional<ScreenTemplate::Part> valuePart(const QString& inner)
{
    const qsizetype colon = inner.indexOf(u':');
    const QString name = colon < 0 ? inner : inner.left(colon);
    const QString arg = colon < 0 ? QString() : inner.mid(colon + 1);
    const ScreenTemplate::ValueInfo* info = ScreenTemplate::valueNamed(name);
    if (!info || (info->argument == Arg::None && colon >= 0) ||
        (info->argument == Arg::Required && arg.isEmpty()))
        return std::nullopt;
    // One topic, not a filter: a value shows one payload.
    if (name.compare(u"mqtt", Qt::CaseInsensitive) == 0) {
        const QString topic = arg.section(u'|', 0, 0);
        if (topic.isEmpty() || topic.contains(u'+') || topic.contains(u'#'))
            return std::nullopt;
    }
    ScreenTemplate::Part part;
    part.kind = ScreenTemplate::Part::Kind::Value;
    part.name = QLatin1String(info->name);
    part.arg = arg;
    return part;
}

// "VALUE" or "VALUE:WIDTH" after "bar:", VALUE a number or a numeric value.
std::optional<ScreenTemplate::Part> barPart(QString arg)
{
    int width = 0;
    if (const qsizetype colon = arg.lastIndexOf(u':'); colon > 0) {
        if (allDigits(QStringView(arg).mid(colon + 1))) {
            width = arg.mid(colon + 1).toInt();
            if (width < 1 || width > ScreenTemplate::MaxBarWidth)
                return std::nullopt;
            arg.truncate(colon);
        }
    }
    ScreenTemplate::Part part;
    bool isNumber = false;
    const double fixed = arg.toDouble(&isNumber);
    if (isNumber) {
        part.fixed = fixed;
    } else {
        const std::optional<ScreenTemplate::Part> value = valuePart(arg);
        if (!value || !ScreenTemplate::valueNamed(value->name)->numeric)
            return std::nullopt;
        part = *value;
    }
    part.kind = ScreenTemplate::Part::Kind::Bar;
    part.width = width;
    return part;
}

} // namespace

std::span<const ScreenTemplate::ValueInfo> ScreenTemplate::values()
{
    return Catalogue;
}

const ScreenTemplate::ValueInfo* ScreenTemplate::valueNamed(const QString& name)
{
    for (const ValueInfo& info : Catalogue) {
        if (name.compare(QLatin1String(info.name), Qt::CaseInsensitive) == 0)
            return &info;
    }
    return nullptr;
}

ScreenTemplate ScreenTemplate::parse(const QString& text)
{
    ScreenTemplate t;
    QString literal;
    const auto flush = [&] {
        if (literal.isEmpty())
            return;
        Part part;
        part.text = std::exchange(literal, {});
        t.m_parts.append(part);
    };
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = text[i];
        const bool doubled = i + 1 < n && text[i + 1] == c;
        if (c == u'}' || (c == u'{' && doubled)) {
            literal += c;
            i += doubled ? 2 : 1;
            continue;
        }
        if (c != u'{') {
            literal += c;
            ++i;
            continue;
        }
        // Braces inside a value pair up, so a command may hold some
        // ({exec:awk '{print $1}' /proc/loadavg}).
        qsizetype close = i + 1;
        for (int depth = 1; close < n; ++close) {
            if (text[close] == u'{')
                ++depth;
            else if (text[close] == u'}' && --depth == 0)
                break;
        }
        if (close >= n) { // never closed: plain text
            literal += text.mid(i);
            break;
        }
        const QString inner = text.mid(i + 1, close - i - 1);
        i = close + 1;
        const std::optional<Part> part =
            inner.startsWith(QLatin1String("bar:"), Qt::CaseInsensitive) ? barPart(inner.mid(4))
                                                                         : valuePart(inner);
        if (!part) {
            literal += QLatin1String("{?") + inner + u'}';
            t.m_unknown.append(inner);
            continue;
        }
        flush();
        t.m_parts.append(*part);
    }
    flush();
    return t;
}

bool ScreenTemplate::hasBar() const
{
    return std::any_of(m_parts.cbegin(), m_parts.cend(),
                       [](const Part& p) { return p.kind == Part::Kind::Bar; });
}

QByteArray ScreenTemplate::render(const Lookup& lookup, const ModuleCodec& codec) const
{
    // Texts first, so that bars without a width know what is left.
    QList<QByteArray> shown(m_parts.size());
    int used = 0;
    int autoBars = 0;
    for (qsizetype i = 0; i < m_parts.size(); ++i) {
        const Part& p = m_parts[i];
        if (p.kind == Part::Kind::Text)
            shown[i] = codes(p.text, codec);
        else if (p.kind == Part::Kind::Value)
            shown[i] = codes(lookup(p.name, p.arg).value_or(QString()), codec);
        else if (p.width == 0)
            ++autoBars;
        used += p.kind == Part::Kind::Bar ? p.width : int(shown[i].size());
    }
    const int left = qMax(0, Width - used);
    int autoBar = 0;
    for (qsizetype i = 0; i < m_parts.size(); ++i) {
        const Part& p = m_parts[i];
        if (p.kind != Part::Kind::Bar)
            continue;
        int width = p.width;
        if (width == 0) {
            width = left / autoBars + (autoBar < left % autoBars ? 1 : 0);
            ++autoBar;
        }
        std::optional<double> value = p.fixed;
        if (!p.name.isEmpty())
            value = leadingNumber(lookup(p.name, p.arg).value_or(QString()));
        shown[i] = value ? barCells(*value, width) : QByteArray(width, ' ');
    }
    QByteArray line;
    for (const QByteArray& s : shown)
        line += s;
    return line;
}

std::array<QByteArray, OwnScreenSettings::LineCount> ScreenTemplate::composeScreen(
    const std::array<ScreenTemplate, OwnScreenSettings::LineCount>& templates,
    const OwnScreenSettings& settings, const Lookup& lookup,
    const std::array<int, OwnScreenSettings::LineCount>& scrollOffsets, const ModuleCodec& codec)
{
    std::array<QByteArray, OwnScreenSettings::LineCount> lines;
    for (int i = 0; i < OwnScreenSettings::LineCount; ++i)
        lines[i] = fitLine(templates[i].render(lookup, codec), settings.align[i],
                           settings.scroll[i], scrollOffsets[i]);
    return lines;
}

QByteArray ScreenTemplate::fitLine(const QByteArray& full, OwnScreenSettings::Align align,
                                   bool scroll, int offset)
{
    const int pad = Width - int(full.size());
    if (scroll && pad < 0) {
        // A marquee over the line and a separator, as the player's title.
        const QByteArray cycle = full + ScrollSeparator;
        const int k = int(((offset % cycle.size()) + cycle.size()) % cycle.size());
        return (cycle + cycle).mid(k, Width);
    }
    if (pad <= 0)
        return full.left(Width);
    using Align = OwnScreenSettings::Align;
    const int before = align == Align::Right ? pad : align == Align::Center ? pad / 2 : 0;
    return QByteArray(before, ' ') + full;
}

std::array<QByteArray, OwnScreenSettings::LineCount>
ScreenTemplate::composeScreen(const OwnScreenSettings& settings, const Lookup& lookup,
                              const std::array<int, OwnScreenSettings::LineCount>& scrollOffsets,
                              const ModuleCodec& codec)
{
    std::array<ScreenTemplate, OwnScreenSettings::LineCount> templates;
    for (int i = 0; i < OwnScreenSettings::LineCount; ++i)
        templates[i] = parse(settings.lines[i]);
    return composeScreen(templates, settings, lookup, scrollOffsets, codec);
}

int ScreenTemplate::barColumns(double value, int width)
{
    const double v = std::isnan(value) ? 0 : qBound(0.0, value, 100.0);
    return int(std::lround(v * 5 * width / 100));
}

QByteArray ScreenTemplate::barCells(double value, int width)
{
    const int columns = barColumns(value, width);
    QByteArray cells(columns / 5, char(5));
    if (columns % 5 != 0)
        cells += char(columns % 5);
    return cells + QByteArray(width - int(cells.size()), ' ');
}

std::optional<double> ScreenTemplate::leadingNumber(const QString& text)
{
    const QString t = text.trimmed();
    qsizetype end = 0;
    if (end < t.size() && (t[end] == u'-' || t[end] == u'+'))
        ++end;
    const qsizetype digits = end;
    bool point = false;
    for (; end < t.size(); ++end) {
        if (t[end] == u'.' && !point)
            point = true;
        else if (!t[end].isDigit() || t[end].unicode() > 0x7F)
            break;
    }
    bool ok = false;
    const double v = t.left(end).toDouble(&ok);
    if (!ok || end == digits)
        return std::nullopt;
    return v;
}
