#include "xmlrpc/xrdocuments.h"

#include "xmlrpc/xrreading.h"
#include "xmlrpc/xrvalue.h"
#include "xmlrpc/xrxmltree.h"

#include <QList>
#include <QVariantMap>

namespace {

QDomElement appendTextElement(QDomDocument& doc, QDomNode parent, const QString& tag, const QString& text)
{
    QDomElement element = doc.createElement(tag);
    element.appendChild(doc.createTextNode(text));
    parent.appendChild(element);
    return element;
}

QDomElement appendElement(QDomDocument& doc, QDomNode parent, const QString& tag)
{
    QDomElement element = doc.createElement(tag);
    parent.appendChild(element);
    return element;
}

// A default-constructed document has no content until its first node is
// created, so the root is created before the document is used as a parent.
QDomElement appendRoot(QDomDocument& doc, const QString& tag)
{
    QDomElement root = doc.createElement(tag);
    doc.appendChild(root);
    return root;
}

// Copies an element of a parsed tree, with everything in it, into doc as a
// new unattached element. The tree's depth is bounded.
QDomElement copyElement(QDomDocument& doc, const XrXmlNode& from)
{
    QDomElement element = doc.createElement(QString::fromUtf8(from.data()));
    for (int i = 0; i < from.attributeCount(); ++i)
        element.setAttribute(QString::fromUtf8(from.attributeName(i)), QString::fromUtf8(from.attributeValue(i)));
    for (XrXmlNode node = from.firstChild(); !node.isNull(); node = node.nextSibling()) {
        if (node.isElement())
            element.appendChild(copyElement(doc, node));
        else
            element.appendChild(doc.createTextNode(node.text()));
    }
    return element;
}

} // namespace

bool xrParseDocument(const QByteArray& bytes, QDomDocument& doc, QString* errorMessage)
{
    XrXmlTree tree;
    if (!tree.parse(bytes, errorMessage))
        return false;
    QDomDocument built;
    built.appendChild(copyElement(built, tree.root()));
    doc = built;
    return true;
}

XrCallReading xrReadMethodCall(const QByteArray& bytes, QString& methodName, QVariantList& params,
                               QString* errorMessage)
{
    methodName.clear();
    params.clear();
    XrXmlTree tree;
    if (!tree.parse(bytes, errorMessage))
        return XrCallReading::NotWellFormed;
    return XrReading::readCall(tree.root(), methodName, params) ? XrCallReading::Read : XrCallReading::NotMethodCall;
}

QByteArray xrResponseWire(const QVariant& value)
{
    QByteArray out;
    out.reserve(160);
    out += "<methodResponse>\n <params>\n  <param>\n";
    xrAppendValueWire(out, value, 3);
    out += "  </param>\n </params>\n</methodResponse>\n";
    return out;
}

QByteArray xrFaultWire(int faultCode, const QString& faultString)
{
    const QVariantMap fault{{QStringLiteral("faultCode"), faultCode}, {QStringLiteral("faultString"), faultString}};
    QByteArray out;
    out.reserve(384);
    out += "<methodResponse>\n <fault>\n";
    xrAppendValueWire(out, fault, 2);
    out += " </fault>\n</methodResponse>\n";
    return out;
}

XRMethodCall::XRMethodCall(const QString& method, const QVariantList& params)
{
    QDomElement root = appendRoot(*this, QStringLiteral("methodCall"));
    appendTextElement(*this, root, QStringLiteral("methodName"), method);
    QDomElement paramsElement = appendElement(*this, root, QStringLiteral("params"));
    for (const QVariant& param : params)
        appendElement(*this, paramsElement, QStringLiteral("param")).appendChild(xrValueToElement(param, *this));
}

QByteArray XRMethodCall::toWire() const
{
    return toByteArray(-1);
}

XRMethodResponse::XRMethodResponse() = default;

bool XRMethodResponse::parse()
{
    const auto reset = [this] {
        m_isFault = false;
        m_faultCode = 0;
        m_faultString.clear();
        m_value = QVariant();
    };
    reset();

    const QDomElement root = documentElement();
    if (root.tagName() != QLatin1String("methodResponse"))
        return false;
    for (QDomElement child = root.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
        if (child.tagName() == QLatin1String("fault")) {
            const QVariant fault = xrElementToValue(child.firstChild().toElement());
            if (fault.typeId() != QMetaType::QVariantMap) {
                reset();
                return false;
            }
            const QVariantMap members = fault.toMap();
            if (members.contains(QStringLiteral("faultCode")) && members.contains(QStringLiteral("faultString"))) {
                m_isFault = true;
                m_faultCode = members.value(QStringLiteral("faultCode")).toInt();
                m_faultString = members.value(QStringLiteral("faultString")).toString();
                m_value = QVariant();
                return true;
            }
        } else if (child.tagName() == QLatin1String("params")) {
            if (!child.hasChildNodes()) {
                reset();
                return false;
            }
            const QDomNode first = child.firstChild();
            if (first.isElement() && first.toElement().tagName() == QLatin1String("param")) {
                if (!first.hasChildNodes()) {
                    reset();
                    return false;
                }
                m_value = xrElementToValue(first.firstChild().toElement());
            }
        }
    }
    return true;
}

bool XRMethodResponse::getFault(int& faultCode, QString& faultString) const
{
    if (!m_isFault)
        return false;
    faultCode = m_faultCode;
    faultString = m_faultString;
    return true;
}
