#include "printing/TextLayout.h"

#include <QTextBoundaryFinder>

#include <cmath>

namespace textlayout {

namespace {

// Tolerance for comparing lengths in millimetres measured from floating-point metrics.
constexpr double kEpsilonMm = 1e-6;

bool isLatinOrDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c.isLetterOrNumber() && c.script() == QChar::Script_Latin);
}

// Positions where a new line may start, in increasing order, ending with text.size().
std::vector<int> breakPositions(const QString &text)
{
    std::vector<int> positions;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
    for (int pos = finder.toNextBoundary(); pos > 0 && pos < text.size(); pos = finder.toNextBoundary()) {
        // Keep a house number or a Latin run with the character that follows it ("88号").
        if (isLatinOrDigit(text.at(pos - 1)) && !text.at(pos).isSpace())
            continue;
        positions.push_back(pos);
    }
    positions.push_back(int(text.size()));
    return positions;
}

int trimmedEnd(const QString &text, int begin, int end)
{
    while (end > begin && text.at(end - 1).isSpace())
        --end;
    return end;
}

// Splits text[begin, end), which is wider than widthMm, where the width runs out; at least one
// character (one grapheme) goes on each line. Returns the start of the rest.
int breakWhereWidthRunsOut(const QString &text, int begin, int end, const printing::MmFontMetrics &metrics,
                           double widthMm, QStringList &lines)
{
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    while (begin < end) {
        graphemes.setPosition(begin);
        int fit = graphemes.toNextBoundary(); // always take one grapheme
        for (;;) {
            graphemes.setPosition(fit);
            const int next = graphemes.toNextBoundary();
            if (next < 0 || next > end || metrics.width(text.mid(begin, next - begin)) > widthMm + kEpsilonMm)
                break;
            fit = next;
        }
        if (fit >= end)
            return begin; // the rest fits: it starts the next line
        lines << text.mid(begin, fit - begin);
        begin = fit;
    }
    return begin;
}

void wrapParagraph(const QString &text, const printing::MmFontMetrics &metrics, double widthMm,
                   QStringList &lines)
{
    if (metrics.width(text) <= widthMm + kEpsilonMm) {
        lines << text;
        return;
    }
    int lineStart = 0;
    double lineWidth = 0; // width of text[lineStart, segmentStart) including trailing blanks
    int segmentStart = 0;
    for (int segmentEnd : breakPositions(text)) {
        const int contentEnd = trimmedEnd(text, segmentStart, segmentEnd);
        const double content = metrics.width(text.mid(segmentStart, contentEnd - segmentStart));
        if (lineWidth + content > widthMm + kEpsilonMm) {
            if (segmentStart > lineStart) {
                lines << text.mid(lineStart, trimmedEnd(text, lineStart, segmentStart) - lineStart);
                lineStart = segmentStart;
                lineWidth = 0;
            }
            if (content > widthMm + kEpsilonMm) {
                lineStart = breakWhereWidthRunsOut(text, lineStart, contentEnd, metrics, widthMm, lines);
                lineWidth = metrics.width(text.mid(lineStart, segmentEnd - lineStart));
                segmentStart = segmentEnd;
                continue;
            }
        }
        lineWidth += content + metrics.width(text.mid(contentEnd, segmentEnd - contentEnd));
        segmentStart = segmentEnd;
    }
    if (lineStart < text.size())
        lines << text.mid(lineStart, trimmedEnd(text, lineStart, int(text.size())) - lineStart);
}

} // namespace

QStringList paragraphs(const QString &value)
{
    if (value.isEmpty())
        return {};
    QString text = value;
    text.remove(QLatin1Char('\n'));
    return text.split(QLatin1Char('\r'));
}

Fitted layoutFitted(const QString &value, const printing::MmFontMetrics &metrics)
{
    Fitted result{QString(), 0.0};
    const QStringList lines = paragraphs(value);
    for (const QString &line : lines)
        result.widthMm = std::max(result.widthMm, metrics.width(line));
    if (!lines.isEmpty())
        result.line = lines.first();
    return result;
}

QStringList wrap(const QString &value, const printing::MmFontMetrics &metrics, double widthMm)
{
    QStringList lines;
    for (const QString &paragraph : paragraphs(value))
        wrapParagraph(paragraph, metrics, widthMm, lines);
    return lines;
}

AddressFit fitAddress(const QString &value, printing::FontTable &fonts, int font, double widthMm,
                      double heightMm, qreal minPoints)
{
    AddressFit fit;
    fit.font = font;
    if (value.isEmpty())
        return fit;
    const qreal startPoints = fonts.font(font).pointSizeF();
    minPoints = std::min(minPoints, startPoints);
    for (qreal points = startPoints;; points = std::max(minPoints, points - 0.5)) {
        fit.font = points == startPoints ? font : fonts.withPointSize(font, points);
        const printing::MmFontMetrics &metrics = fonts.metrics(fit.font);
        fit.lines = wrap(value, metrics, widthMm);
        const int room = std::max(1, int(std::floor((heightMm + 1e-3) / metrics.lineSpacing())));
        if (fit.lines.size() <= room)
            return fit;
        if (points <= minPoints) {
            fit.lines = fit.lines.mid(0, room);
            fit.complete = false;
            return fit;
        }
    }
}

} // namespace textlayout
