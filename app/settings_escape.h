#pragma once
// Keys and values as Qt's settings files write them: escapes, quotes and lists.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>

namespace quorvane {

// A key or group name as the file writes it: "%20" for a blank, "%UXXXX" beyond
// Latin-1, a backslash for "/"; and back.
QString unescaped_key(QByteArrayView raw);
QByteArray escaped_key(const QString& key);

// One value of a setting line: quotes, backslash escapes, and commas outside quotes
// that make it a list of parts. Trailing blanks of an unquoted part are dropped.
QStringList unescaped_value(QByteArrayView raw);

// The text of a value written as one quoted text with no backslash, not beginning
// with "@" and in valid UTF-8: unescaped_value and text_of read it as these very bytes,
// which a long list is then read as without decoding. nullopt for any other value.
std::optional<QByteArrayView> plain_value(QByteArrayView raw);

// A part as a text: "@@" stands for a text that begins with "@"; "@Invalid()" for none;
// "@ByteArray(...)" and "@String(...)" (a text holding NUL) hold the text in brackets.
std::optional<QString> text_of(const QString& part);

// One value as Qt writes it in a settings file, quoted and escaped where needed.
QByteArray escaped_setting_value(const QString& value);

}  // namespace quorvane
