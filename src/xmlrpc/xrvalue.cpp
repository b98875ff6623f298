#include "xmlrpc/xrvalue.h"

#include "xmlrpc/xrdocuments.h"
#include "xmlrpc/xrreading.h"

#include <QDateTime>
#include <QVariantList>
#include <QVariantMap>

#include <array>

namespace {

constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kBase64LineLength = 76;

// The tag and text of a value that is not an array or a struct.
struct ScalarForm
{
    QLatin1StringView tag;
    QString text;
};

ScalarForm scalarForm(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return {QLatin1StringView("string"), value.toString()};
    case QMetaType::Int:
        return {QLatin1StringView("int"), QString::number(value.toInt())};
    case QMetaType::UInt:
        return {QLatin1StringView("int"), QString::number(value.toUInt())};
    case QMetaType::Bool:
        return {QLatin1StringView("boolean"), value.toBool() ? QStringLiteral("1") : QStringLiteral("0")};
    case QMetaType::Double:
        return {QLatin1StringView("double"), value.toString()};
    case QMetaType::QDateTime:
        return {QLatin1StringView("dateTime.iso8601"), value.toDateTime().toString(QLatin1String(kXrDateTimeFormat))};
    case QMetaType::QByteArray:
        return {QLatin1StringView("base64"), xrBase64Encode(value.toByteArray())};
    default:
        return {QLatin1StringView("string"), QString()};
    }
}

QDomElement textElement(QDomDocument& doc, const QString& tag, const QString& text)
{
    QDomElement element = doc.createElement(tag);
    element.appendChild(doc.createTextNode(text));
    return element;
}

QDomElement typeElement(const QVariant& value, QDomDocument& doc)
{
    switch (value.typeId()) {
    case QMetaType::QVariantList: {
        QDomElement array = doc.createElement(QStringLiteral("array"));
        QDomElement data = doc.createElement(QStringLiteral("data"));
        array.appendChild(data);
        const QVariantList items = value.toList();
        for (const QVariant& item : items)
            data.appendChild(xrValueToElement(item, doc));
        return array;
    }
    case QMetaType::QVariantMap: {
        QDomElement structure = doc.createElement(QStringLiteral("struct"));
        const QVariantMap members = value.toMap();
        for (auto it = members.cbegin(); it != members.cend(); ++it) {
            QDomElement member = doc.createElement(QStringLiteral("member"));
            member.appendChild(textElement(doc, QStringLiteral("name"), it.key()));
            member.appendChild(xrValueToElement(it.value(), doc));
            structure.appendChild(member);
        }
        return structure;
    }
    default: {
        const ScalarForm form = scalarForm(value);
        return textElement(doc, form.tag, form.text);
    }
    }
}

// Text as QDomDocument writes it: "<" and "&" escaped, a carriage return as
// a character reference, and ">" escaped where it would end "]]>".
void appendEscaped(QByteArray& out, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    const char* bytes = utf8.constData();
    const qsizetype size = utf8.size();
    qsizetype plainFrom = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char ch = bytes[i];
        const char* replacement = nullptr;
        if (ch == '<')
            replacement = "&lt;";
        else if (ch == '&')
            replacement = "&amp;";
        else if (ch == '\r')
            replacement = "&#xd;";
        else if (ch == '>' && i >= 2 && bytes[i - 1] == ']' && bytes[i - 2] == ']')
            replacement = "&gt;";
        if (replacement) {
            out.append(bytes + plainFrom, i - plainFrom);
            out.append(replacement);
            plainFrom = i + 1;
        }
    }
    out.append(bytes + plainFrom, size - plainFrom);
}

void appendIndent(QByteArray& out, int depth)
{
    out.append(depth, ' ');
}

void appendTextElementWire(QByteArray& out, QLatin1StringView tag, const QString& text, int depth)
{
    appendIndent(out, depth);
    out += '<';
    out += tag;
    out += '>';
    appendEscaped(out, text);
    out += "</";
    out += tag;
    out += ">\n";
}

} // namespace

QDomElement xrValueToElement(const QVariant& value, QDomDocument& doc)
{
    QDomElement element = doc.createElement(QStringLiteral("value"));
    element.appendChild(typeElement(value, doc));
    return element;
}

void xrAppendValueWire(QByteArray& out, const QVariant& value, int depth)
{
    appendIndent(out, depth);
    out += "<value>\n";
    switch (value.typeId()) {
    case QMetaType::QVariantList: {
        const QVariantList items = value.toList();
        appendIndent(out, depth + 1);
        out += "<array>\n";
        appendIndent(out, depth + 2);
        if (items.isEmpty()) {
            out += "<data/>\n";
        } else {
            out += "<data>\n";
            for (const QVariant& item : items)
                xrAppendValueWire(out, item, depth + 3);
            appendIndent(out, depth + 2);
            out += "</data>\n";
        }
        appendIndent(out, depth + 1);
        out += "</array>\n";
        break;
    }
    case QMetaType::QVariantMap: {
        const QVariantMap members = value.toMap();
        appendIndent(out, depth + 1);
        if (members.isEmpty()) {
            out += "<struct/>\n";
            break;
        }
        out += "<struct>\n";
        for (auto it = members.cbegin(); it != members.cend(); ++it) {
            appendIndent(out, depth + 2);
            out += "<member>\n";
            appendTextElementWire(out, QLatin1StringView("name"), it.key(), depth + 3);
            xrAppendValueWire(out, it.value(), depth + 3);
            appendIndent(out, depth + 2);
            out += "</member>\n";
        }
        appendIndent(out, depth + 1);
        out += "</struct>\n";
        break;
    }
    default: {
        const ScalarForm form = scalarForm(value);
        appendTextElementWire(out, form.tag, form.text, depth + 1);
        break;
    }
    }
    appendIndent(out, depth);
    out += "</value>\n";
}

QVariant xrElementToValue(const QDomElement& element)
{
    return XrReading::readValue(XrDomNode(element), 0);
}


QString xrBase64Encode(const QByteArray& bytes)
{
    QString result;
    result.reserve(bytes.size() / 3 * 4 + bytes.size() / 57 + 4);

    // Characters gather in a fixed line buffer; only whole lines go to the result.
    QChar line[kBase64LineLength + 1];
    int used = 0;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; i += 3) {
        const qsizetype remaining = size - i;
        const unsigned group = (unsigned(in[i]) << 16) | (remaining > 1 ? unsigned(in[i + 1]) << 8 : 0u)
                               | (remaining > 2 ? unsigned(in[i + 2]) : 0u);
        line[used++] = QLatin1Char(kBase64Alphabet[(group >> 18) & 0x3f]);
        line[used++] = QLatin1Char(kBase64Alphabet[(group >> 12) & 0x3f]);
        line[used++] = remaining > 1 ? QLatin1Char(kBase64Alphabet[(group >> 6) & 0x3f]) : QLatin1Char('=');
        line[used++] = remaining > 2 ? QLatin1Char(kBase64Alphabet[group & 0x3f]) : QLatin1Char('=');
        if (used == kBase64LineLength) {
            line[used++] = QLatin1Char('\n');
            result.append(line, used);
            used = 0;
        }
    }
    result.append(line, used);
    return result;
}

QByteArray xrBase64Decode(const QString& text)
{
    static const auto symbolTable = [] {
        std::array<signed char, 128> table{};
        table.fill(-1);
        for (int i = 0; i < 64; ++i)
            table[static_cast<unsigned char>(kBase64Alphabet[i])] = static_cast<signed char>(i);
        return table;
    }();

    QByteArray result(text.size() * 3 / 4 + 1, Qt::Uninitialized);
    char* out = result.data();
    qsizetype produced = 0;
    unsigned accumulator = 0;
    int symbols = 0;
    for (const QChar ch : text) {
        const char16_t code = ch.unicode();
        if (code >= symbolTable.size() || symbolTable[code] < 0)
            continue;
        accumulator = (accumulator << 6) | unsigned(symbolTable[code]);
        if (++symbols == 4) {
            out[produced++] = char(accumulator >> 16);
            out[produced++] = char(accumulator >> 8);
            out[produced++] = char(accumulator);
            accumulator = 0;
            symbols = 0;
        }
    }
    if (symbols == 2) {
        out[produced++] = char(accumulator >> 4);
    } else if (symbols == 3) {
        out[produced++] = char(accumulator >> 10);
        out[produced++] = char(accumulator >> 2);
    }
    result.resize(produced);
    return result;
}
