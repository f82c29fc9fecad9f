#include "store/domain/TextMerge.h"

#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <vector>

const QString TextMerge::kSeparator = QStringLiteral(" · ");

namespace {

// A text as the merge compares it: runs of letters and digits, runs of blanks, and every
// other character alone, so that a change is found at the word it touches.
std::vector<QStringView> tokens(const QString& text)
{
    std::vector<QStringView> out;
    const QStringView all(text);
    qsizetype start = 0;
    const auto kindOf = [](QChar c) { return c.isLetterOrNumber() ? 0 : c.isSpace() ? 1 : 2; };
    for (qsizetype i = 1; i <= all.size(); ++i) {
        if (i == all.size() || kindOf(all[i]) != kindOf(all[start]) || kindOf(all[start]) == 2) {
            out.push_back(all.mid(start, i - start));
            start = i;
        }
    }
    return out;
}

using Tokens = std::vector<QStringView>;

// The longest common subsequence's matching of a and b: for each token of a, the index of the
// token of b it stands for, or -1. The common beginning and end are matched first; what lies
// between is matched token by token only while that stays small, and is otherwise taken as
// changed whole, which keeps both sides' text (never less).
std::vector<qsizetype> matching(const Tokens& a, const Tokens& b)
{
    constexpr qsizetype kMaxCells = 4'000'000;
    std::vector<qsizetype> match(a.size(), -1);
    qsizetype head = 0;
    while (head < qsizetype(a.size()) && head < qsizetype(b.size()) && a[head] == b[head]) {
        match[head] = head;
        ++head;
    }
    qsizetype tail = 0;
    while (tail < qsizetype(a.size()) - head && tail < qsizetype(b.size()) - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) {
        match[a.size() - 1 - tail] = qsizetype(b.size()) - 1 - tail;
        ++tail;
    }
    const qsizetype n = qsizetype(a.size()) - head - tail;
    const qsizetype m = qsizetype(b.size()) - head - tail;
    if (n == 0 || m == 0 || n * m > kMaxCells)
        return match;
    // lengths[i][j]: the common subsequence of a[head + i ..] and b[head + j ..].
    std::vector<int> lengths(std::size_t((n + 1) * (m + 1)), 0);
    const auto at = [&](qsizetype i, qsizetype j) -> int& {
        return lengths[std::size_t(i * (m + 1) + j)];
    };
    for (qsizetype i = n - 1; i >= 0; --i) {
        for (qsizetype j = m - 1; j >= 0; --j) {
            at(i, j) = a[head + i] == b[head + j] ? at(i + 1, j + 1) + 1
                                                  : std::max(at(i + 1, j), at(i, j + 1));
        }
    }
    for (qsizetype i = 0, j = 0; i < n && j < m;) {
        if (a[head + i] == b[head + j]) {
            match[head + i] = head + j;
            ++i;
            ++j;
        } else if (at(i + 1, j) >= at(i, j + 1)) {
            ++i;
        } else {
            ++j;
        }
    }
    return match;
}

QString joined(const Tokens& tokens, qsizetype from, qsizetype to)
{
    QString out;
    for (qsizetype i = from; i < to; ++i)
        out += tokens[std::size_t(i)];
    return out;
}

// Two versions of one stretch, both kept: one that holds the other stands alone.
QString bothOf(const QString& local, const QString& remote)
{
    const QString l = local.trimmed();
    const QString r = remote.trimmed();
    if (r.isEmpty() || TextMerge::holds(l, r))
        return local;
    if (l.isEmpty() || TextMerge::holds(r, l))
        return remote;
    // The blanks around the stretch stay around it; the other side's version follows ours.
    const qsizetype before = local.indexOf(l);
    return local.left(before) + l + TextMerge::kSeparator + r + local.mid(before + l.size());
}

} // namespace

bool TextMerge::holds(const QString& note, const QString& text)
{
    if (note == text)
        return true;
    // A text of blanks adds nothing to a note that has something; an empty note takes it.
    const QString wanted = text.trimmed();
    if (wanted.isEmpty())
        return !note.isEmpty();
    if (note.trimmed() == wanted)
        return true;
    for (const QString& part : note.split(kSeparator)) {
        if (part.trimmed() == wanted)
            return true;
    }
    return (kSeparator + note + kSeparator).contains(kSeparator + text + kSeparator);
}

QString TextMerge::join(const QString& note, const QString& text)
{
    if (holds(note, text))
        return note;
    if (note.trimmed().isEmpty())
        return text;
    return note + kSeparator + text;
}

TextMerge::Result TextMerge::merge(const std::optional<QString>& base, const QString& local,
                                   const QString& remote)
{
    const QString from = base.value_or(QString());
    if (local == remote || remote == from)
        return {local, false};
    if (local == from)
        return {remote, false};
    if (!base || from.trimmed().isEmpty()) {
        // Nothing shared: one text holds the other, or both stand.
        const QString text = join(local, remote);
        return {text, text != local && text != remote};
    }

    const Tokens o = tokens(from);
    const Tokens a = tokens(local);
    const Tokens b = tokens(remote);
    const std::vector<qsizetype> toA = matching(o, a);
    const std::vector<qsizetype> toB = matching(o, b);

    QString out;
    bool both = false;
    qsizetype lastO = -1;
    qsizetype lastA = -1;
    qsizetype lastB = -1;
    // Between two tokens of base that both sides kept lies a stretch each side may have
    // changed: the side that changed it gives it; when both did, differently, both stand.
    const auto stretch = [&](qsizetype o1, qsizetype a1, qsizetype b1) {
        const QString ours = joined(a, lastA + 1, a1);
        const QString theirs = joined(b, lastB + 1, b1);
        const QString before = joined(o, lastO + 1, o1);
        if (ours == before) {
            out += theirs;
        } else if (theirs == before || ours == theirs) {
            out += ours;
        } else if (ours.trimmed().isEmpty() && !before.trimmed().isEmpty()) {
            out += theirs; // taken out here, changed there: the change stands
        } else if (theirs.trimmed().isEmpty() && !before.trimmed().isEmpty()) {
            out += ours;
        } else {
            out += bothOf(ours, theirs);
            both = true;
        }
    };
    for (qsizetype i = 0; i < qsizetype(o.size()); ++i) {
        if (toA[std::size_t(i)] < 0 || toB[std::size_t(i)] < 0)
            continue;
        stretch(i, toA[std::size_t(i)], toB[std::size_t(i)]);
        out += o[std::size_t(i)];
        lastO = i;
        lastA = toA[std::size_t(i)];
        lastB = toB[std::size_t(i)];
    }
    stretch(qsizetype(o.size()), qsizetype(a.size()), qsizetype(b.size()));
    return {out.trimmed(), both};
}
