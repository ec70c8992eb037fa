#include "models/VolumeNames.h"

#include <QCollator>
#include <QString>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <tuple>

namespace tallowmere {

std::vector<VolumeSelection> sortedByName(std::vector<VolumeSelection> volumes, const QLocale& locale) {
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::ranges::sort(volumes, [&](const VolumeSelection& a, const VolumeSelection& b) {
        if (int order = collator.compare(QString::fromStdString(a.name), QString::fromStdString(b.name)))
            return order < 0;
        return std::tie(a.path, a.id) < std::tie(b.path, b.id);
    });
    return volumes;
}

std::string oneLineName(const std::string& name) {
    QString line = QString::fromStdString(name);
    for (QChar& character : line) {
        const QChar::Category category = character.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            character = ' ';
    }
    return line.toStdString();
}

std::string middleElided(const std::string& text, int maximum) {
    const QString whole = QString::fromStdString(text);
    // Where each character starts: an accented letter or an emoji may take several code units.
    std::vector<qsizetype> starts{0};
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, whole);
    while (characters.toNextBoundary() > 0)
        starts.push_back(characters.position());
    const int count = static_cast<int>(starts.size()) - 1;
    if (count <= maximum || maximum < 1)
        return text;
    const int kept = maximum - 1; // the ellipsis is one
    const int head = (kept + 1) / 2;
    return (whole.left(starts[head]) + QChar(0x2026) + whole.mid(starts[count - kept / 2])).toStdString();
}

} // namespace tallowmere
