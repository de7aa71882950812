#pragma once

#include <QString>

// Names and paths come from the files on the machine and texts from the host. Characters that
// reorder or hide text would let "abc<U+202E>txt.exe" read as "abcexe.txt", so everything
// shown of them goes through these first. Windows names never hold '<' or '>': a mark cannot
// be mistaken for part of a name.

// The text with every control, format (bidirectional marks, embeddings, overrides, isolates,
// zero-width characters, byte order mark), line separator, lone surrogate and invisible filler
// replaced by a visible "<U+XXXX>" mark. The same text back when it has none.
QString VisibleText(const QString& text);

// VisibleText escaped for marked-up text.
QString VisibleMarkup(const QString& text);

// How much of one name or path a hint shows: a few lines of the tooltip.
inline constexpr qsizetype kLongestHintText = 200;

// A text longer than maxChars loses its middle to "...", keeping more of its end than of its
// start (a path's drive and its file name). Surrogate pairs are never cut.
QString ShortenMiddle(const QString& text, qsizetype maxChars);
