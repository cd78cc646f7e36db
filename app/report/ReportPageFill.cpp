#include "app/report/ReportPageFill.h"

#include <optional>

namespace velcor::app {

namespace {

struct StartTag {
    qsizetype begin = 0;  // the '<'
    qsizetype end = 0;    // just after the '>'
    QString name;         // lower case
    bool selfClosing = false;
};

bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u':'; }

qsizetype skipSpace(const QString& s, qsizetype i) {
    while (i < s.size() && s[i].isSpace()) ++i;
    return i;
}

// Reads the start tag at `at` (a '<' followed by a letter); its id, if any, goes to `id`.
std::optional<StartTag> readStartTag(const QString& s, qsizetype at, QString& id) {
    StartTag tag;
    tag.begin = at;
    qsizetype i = at + 1;
    const qsizetype nameBegin = i;
    while (i < s.size() && isNameChar(s[i])) ++i;
    tag.name = s.mid(nameBegin, i - nameBegin).toLower();
    id.clear();
    while (true) {
        i = skipSpace(s, i);
        if (i >= s.size()) return std::nullopt;
        if (s[i] == u'>') {
            tag.end = i + 1;
            return tag;
        }
        if (s[i] == u'/') {
            tag.selfClosing = true;
            ++i;
            continue;
        }
        const qsizetype attrBegin = i;
        while (i < s.size() && !s[i].isSpace() && s[i] != u'=' && s[i] != u'>' && s[i] != u'/') ++i;
        const QString attr = s.mid(attrBegin, i - attrBegin).toLower();
        if (attr.isEmpty()) {
            ++i;  // a stray character; step over it rather than loop forever
            continue;
        }
        i = skipSpace(s, i);
        QString value;
        if (i < s.size() && s[i] == u'=') {
            i = skipSpace(s, i + 1);
            if (i < s.size() && (s[i] == u'"' || s[i] == u'\'')) {
                const QChar quote = s[i];
                const qsizetype close = s.indexOf(quote, i + 1);
                if (close < 0) return std::nullopt;
                value = s.mid(i + 1, close - i - 1);
                i = close + 1;
            } else {
                const qsizetype valueBegin = i;
                while (i < s.size() && !s[i].isSpace() && s[i] != u'>') ++i;
                value = s.mid(valueBegin, i - valueBegin);
            }
        }
        if (attr == u"id") id = value;
    }
}

// Past the comment that starts at `at`, or `at` itself when none starts there.
qsizetype skipComment(const QString& s, qsizetype at) {
    if (!QStringView(s).mid(at).startsWith(u"<!--")) return at;
    const qsizetype close = s.indexOf(QStringLiteral("-->"), at + 4);
    return close < 0 ? s.size() : close + 3;
}

// The '<' of the end tag that closes an element named `name` whose content starts at `from`,
// counting nested elements of the same name; -1 when it is never closed.
qsizetype findEndTag(const QString& s, const QString& name, qsizetype from) {
    int depth = 1;
    QString ignored;
    for (qsizetype i = s.indexOf(u'<', from); i >= 0; i = s.indexOf(u'<', i + 1)) {
        if (const qsizetype after = skipComment(s, i); after != i) {
            i = after - 1;
            continue;
        }
        if (i + 1 >= s.size()) break;
        if (s[i + 1] == u'/') {
            qsizetype j = i + 2;
            const qsizetype nameBegin = j;
            while (j < s.size() && isNameChar(s[j])) ++j;
            if (s.mid(nameBegin, j - nameBegin).toLower() == name && --depth == 0) return i;
        } else if (s[i + 1].isLetter()) {
            const auto tag = readStartTag(s, i, ignored);
            if (tag && tag->name == name && !tag->selfClosing) ++depth;
        }
    }
    return -1;
}

}  // namespace

QString fillElement(const QString& page, QStringView elementId, const QString& innerHtml) {
    QString id;
    for (qsizetype i = page.indexOf(u'<'); i >= 0; i = page.indexOf(u'<', i + 1)) {
        if (const qsizetype after = skipComment(page, i); after != i) {
            i = after - 1;
            continue;
        }
        if (i + 1 >= page.size() || !page[i + 1].isLetter()) continue;
        const auto tag = readStartTag(page, i, id);
        if (!tag) break;
        if (id != elementId) continue;
        if (tag->selfClosing) return page;
        const qsizetype close = findEndTag(page, tag->name, tag->end);
        QString filled = page;
        if (close < 0) return filled.insert(tag->end, innerHtml);
        return filled.replace(tag->end, close - tag->end, innerHtml);
    }
    return page;
}

}  // namespace velcor::app
