#pragma once

// XML-RPC values are QVariants of the kinds Invalid, Int, UInt, Bool, Double,
// String, DateTime, ByteArray, List (QVariantList) and Map (QVariantMap).
// These functions write them to and read them from "value" elements.

#include <QByteArray>
#include <QDomDocument>
#include <QDomElement>
#include <QString>
#include <QVariant>

// The date-time text of XML-RPC values, e.g. 20100528T14:05:09.
inline constexpr const char* kXrDateTimeFormat = "yyyyMMddThh:mm:ss";

// Returns a new, unattached "value" element owned by doc.
QDomElement xrValueToElement(const QVariant& value, QDomDocument& doc);

// Appends the "value" element of value as QDomDocument writes it with one
// space of indentation per level, the element itself indented by depth.
void xrAppendValueWire(QByteArray& out, const QVariant& value, int depth);

// Reads a "value" element; Invalid when it cannot be read.
QVariant xrElementToValue(const QDomElement& element);

// Standard alphabet, "=" padding, a "\n" after every 76 characters.
QString xrBase64Encode(const QByteArray& bytes);

// Skips every character outside the alphabet; a lone trailing symbol is dropped.
QByteArray xrBase64Decode(const QString& text);
