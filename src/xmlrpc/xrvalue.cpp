#include "xmlrpc/xrvalue.h"

#include "xmlrpc/xrdocuments.h"

#include <QDateTime>
#include <QVariantList>
#include <QVariantMap>

#include <array>

namespace {

constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kBase64LineLength = 76;

QDomElement textElement(QDomDocument& doc, const QString& tag, const QString& text)
{
    QDomElement element = doc.createElement(tag);
    element.appendChild(doc.createTextNode(text));
    return element;
}

QDomElement typeElement(const QVariant& value, QDomDocument& doc)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return textElement(doc, QStringLiteral("string"), value.toString());
    case QMetaType::Int:
        return textElement(doc, QStringLiteral("int"), QString::number(value.toInt()));
    case QMetaType::UInt:
        return textElement(doc, QStringLiteral("int"), QString::number(value.toUInt()));
    case QMetaType::Bool:
        return textElement(doc, QStringLiteral("boolean"), value.toBool() ? QStringLiteral("1") : QStringLiteral("0"));
    case QMetaType::Double:
        return textElement(doc, QStringLiteral("double"), value.toString());
    case QMetaType::QDateTime:
        return textElement(doc, QStringLiteral("dateTime.iso8601"),
                           value.toDateTime().toString(QLatin1String(kXrDateTimeFormat)));
    case QMetaType::QByteArray:
        return textElement(doc, QStringLiteral("base64"), xrBase64Encode(value.toByteArray()));
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
    default:
        return textElement(doc, QStringLiteral("string"), QString());
    }
}

// The readers carry the nesting depth of the value being read so that a
// tree built elsewhere cannot drive them arbitrarily deep.
QVariant readValue(const QDomElement& element, int depth);

QVariant readArray(const QDomElement& array, int depth)
{
    const QDomNode data = array.firstChild();
    if (!data.isElement() || data.toElement().tagName() != QLatin1String("data"))
        return {};
    QVariantList items;
    for (QDomNode child = data.firstChild(); !child.isNull(); child = child.nextSibling()) {
        const QVariant item = readValue(child.toElement(), depth + 1);
        if (!item.isValid())
            return {};
        items.append(item);
    }
    return items;
}

QVariant readStruct(const QDomElement& structure, int depth)
{
    QVariantMap members;
    for (QDomElement member = structure.firstChildElement(QStringLiteral("member")); !member.isNull();
         member = member.nextSiblingElement(QStringLiteral("member"))) {
        QString name;
        QVariant value;
        bool nameSeen = false;
        bool valueSeen = false;
        for (QDomElement child = member.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
            if (child.tagName() == QLatin1String("name")) {
                name = child.text();
                nameSeen = true;
            } else if (child.tagName() == QLatin1String("value")) {
                value = readValue(child, depth + 1);
                valueSeen = true;
            }
            if (nameSeen && valueSeen) {
                members.insert(name, value);
                nameSeen = false;
                valueSeen = false;
            }
        }
    }
    return members;
}

QVariant readDateTime(const QString& text)
{
    const QString dashed = text.left(4) + QLatin1Char('-') + text.mid(4, 2) + QLatin1Char('-') + text.mid(6);
    return QDateTime::fromString(dashed, Qt::ISODate);
}

QVariant readValue(const QDomElement& element, int depth)
{
    if (element.isNull() || element.tagName() != QLatin1String("value") || !element.hasChildNodes())
        return {};
    if (depth >= kXrMaxDepth)
        return {};
    const QDomNode first = element.firstChild();
    if (!first.isElement())
        return element.text();

    const QDomElement type = first.toElement();
    const QString tag = type.tagName();
    if (tag == QLatin1String("array"))
        return readArray(type, depth);
    if (tag == QLatin1String("struct"))
        return readStruct(type, depth);

    const QString text = type.text();
    if (tag == QLatin1String("i4") || tag == QLatin1String("int"))
        return text.toInt();
    if (tag == QLatin1String("boolean")) {
        if (text == QLatin1String("0"))
            return false;
        if (text == QLatin1String("1"))
            return true;
        return {};
    }
    if (tag == QLatin1String("string"))
        return text;
    if (tag == QLatin1String("double"))
        return text.toDouble();
    if (tag == QLatin1String("dateTime.iso8601"))
        return readDateTime(text);
    if (tag == QLatin1String("base64"))
        return xrBase64Decode(text);
    return {};
}

} // namespace

QDomElement xrValueToElement(const QVariant& value, QDomDocument& doc)
{
    QDomElement element = doc.createElement(QStringLiteral("value"));
    element.appendChild(typeElement(value, doc));
    return element;
}

QVariant xrElementToValue(const QDomElement& element)
{
    return readValue(element, 0);
}

QVariant xrArrayFromElement(const QDomElement& array)
{
    return readArray(array, 0);
}

QVariant xrStructFromElement(const QDomElement& structure)
{
    return readStruct(structure, 0);
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
