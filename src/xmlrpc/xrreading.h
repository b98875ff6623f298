#pragma once

// How values and calls are read from a document, written once for both kinds
// of tree that hold one: a QDomDocument (through XrDomNode) and an XrXmlTree
// (through XrXmlNode), so that both read every document alike.
// A Node offers isNull(), isElement(), hasTag(), text(), hasChildNodes(),
// firstChild(), nextSibling(), firstChildElement(tag) and nextSiblingElement(tag),
// with the meanings of QDomNode and QDomElement.

#include "xmlrpc/xrdocuments.h"
#include "xmlrpc/xrvalue.h"

#include <QDateTime>
#include <QDomNode>
#include <QLatin1StringView>
#include <QVariantList>
#include <QVariantMap>

class XrDomNode
{
public:
    XrDomNode() = default;
    XrDomNode(const QDomNode& node) : m_node(node) {}

    bool isNull() const { return m_node.isNull(); }
    bool isElement() const { return m_node.isElement(); }
    bool hasTag(QLatin1StringView tag) const { return m_node.isElement() && m_node.nodeName() == tag; }
    QString text() const { return m_node.isElement() ? m_node.toElement().text() : m_node.nodeValue(); }
    bool hasChildNodes() const { return m_node.hasChildNodes(); }
    XrDomNode firstChild() const { return m_node.firstChild(); }
    XrDomNode nextSibling() const { return m_node.nextSibling(); }
    XrDomNode firstChildElement(QLatin1StringView tag = {}) const { return m_node.firstChildElement(name(tag)); }
    XrDomNode nextSiblingElement(QLatin1StringView tag = {}) const { return m_node.nextSiblingElement(name(tag)); }

private:
    static QString name(QLatin1StringView tag) { return tag.isNull() ? QString() : QString(tag); }

    QDomNode m_node;
};

namespace XrReading {

// The readers carry the nesting depth of the value being read so that a
// tree built elsewhere cannot drive them arbitrarily deep.
template <typename Node>
QVariant readValue(const Node& element, int depth);

template <typename Node>
QVariant readArray(const Node& array, int depth)
{
    const Node data = array.firstChild();
    if (!data.hasTag(QLatin1StringView("data")))
        return {};
    QVariantList items;
    for (Node child = data.firstChild(); !child.isNull(); child = child.nextSibling()) {
        QVariant item = readValue(child, depth + 1);
        if (!item.isValid())
            return {};
        items.append(std::move(item));
    }
    return items;
}

template <typename Node>
QVariant readStruct(const Node& structure, int depth)
{
    const QLatin1StringView memberTag("member");
    QVariantMap members;
    for (Node member = structure.firstChildElement(memberTag); !member.isNull();
         member = member.nextSiblingElement(memberTag)) {
        QString name;
        QVariant value;
        bool nameSeen = false;
        bool valueSeen = false;
        for (Node child = member.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
            if (child.hasTag(QLatin1StringView("name"))) {
                name = child.text();
                nameSeen = true;
            } else if (child.hasTag(QLatin1StringView("value"))) {
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

inline QVariant readDateTime(const QString& text)
{
    const QString dashed = text.left(4) + QLatin1Char('-') + text.mid(4, 2) + QLatin1Char('-') + text.mid(6);
    return QDateTime::fromString(dashed, Qt::ISODate);
}

template <typename Node>
QVariant readValue(const Node& element, int depth)
{
    if (!element.hasTag(QLatin1StringView("value")) || !element.hasChildNodes())
        return {};
    if (depth >= kXrMaxDepth)
        return {};
    const Node type = element.firstChild();
    if (!type.isElement())
        return element.text();

    if (type.hasTag(QLatin1StringView("array")))
        return readArray(type, depth);
    if (type.hasTag(QLatin1StringView("struct")))
        return readStruct(type, depth);
    if (type.hasTag(QLatin1StringView("string")))
        return type.text();
    if (type.hasTag(QLatin1StringView("i4")) || type.hasTag(QLatin1StringView("int")))
        return type.text().toInt();
    if (type.hasTag(QLatin1StringView("boolean"))) {
        const QString text = type.text();
        if (text == QLatin1StringView("0"))
            return false;
        if (text == QLatin1StringView("1"))
            return true;
        return {};
    }
    if (type.hasTag(QLatin1StringView("double")))
        return type.text().toDouble();
    if (type.hasTag(QLatin1StringView("dateTime.iso8601")))
        return readDateTime(type.text());
    if (type.hasTag(QLatin1StringView("base64")))
        return xrBase64Decode(type.text());
    return {};
}

// Fills methodName and params from a methodCall element. False, with both
// empty, when root is no methodCall or holds a param without a value.
template <typename Node>
bool readCall(const Node& root, QString& methodName, QVariantList& params)
{
    methodName.clear();
    params.clear();
    if (!root.hasTag(QLatin1StringView("methodCall")))
        return false;
    const QLatin1StringView paramTag("param");
    for (Node child = root.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
        if (child.hasTag(QLatin1StringView("methodName"))) {
            methodName = child.text();
        } else if (child.hasTag(QLatin1StringView("params"))) {
            for (Node param = child.firstChildElement(paramTag); !param.isNull();
                 param = param.nextSiblingElement(paramTag)) {
                if (!param.hasChildNodes()) {
                    methodName.clear();
                    params.clear();
                    return false;
                }
                params.append(readValue(param.firstChild(), 0));
            }
        }
    }
    return true;
}

} // namespace XrReading
