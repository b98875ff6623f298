#include "xmlrpc/xrdocuments.h"

#include "xmlrpc/xrvalue.h"

#include <QList>
#include <QVariantMap>
#include <QXmlStreamReader>

namespace {

bool isBlank(const QString& text)
{
    for (const QChar ch : text) {
        if (ch != QLatin1Char(' ') && ch != QLatin1Char('\t') && ch != QLatin1Char('\n') && ch != QLatin1Char('\r'))
            return false;
    }
    return true;
}

// Elements that hold only other elements: blank text inside them is layout,
// so an empty-looking "value" reads as Invalid and an empty-looking "params"
// as empty, whatever the spacing.
bool isContainer(const QString& tag)
{
    static const QStringList containers = {
        QStringLiteral("methodCall"), QStringLiteral("methodResponse"), QStringLiteral("params"),
        QStringLiteral("param"),      QStringLiteral("fault"),          QStringLiteral("value"),
        QStringLiteral("array"),      QStringLiteral("data"),           QStringLiteral("struct"),
        QStringLiteral("member"),
    };
    return containers.contains(tag);
}

struct OpenElement
{
    QDomElement element;
    bool hasChildElements = false;
};

QString positioned(const QString& message, const QXmlStreamReader& reader)
{
    return QStringLiteral("%1 (line %2, column %3)").arg(message).arg(reader.lineNumber()).arg(reader.columnNumber());
}

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

} // namespace

bool xrParseDocument(const QByteArray& bytes, QDomDocument& doc, QString* errorMessage)
{
    const auto fail = [errorMessage](const QString& message) {
        if (errorMessage)
            *errorMessage = message;
        return false;
    };

    QXmlStreamReader reader(bytes);
    reader.setNamespaceProcessing(false);
    QDomDocument built;
    QList<OpenElement> open;
    QString pendingText;

    // Text is collected until the next tag, when it is known whether the
    // element holds only text (kept exactly) or also elements (blank runs dropped).
    const auto flushText = [&](bool closing) {
        if (pendingText.isEmpty())
            return;
        if (!open.isEmpty()) {
            const OpenElement& top = open.constLast();
            const bool keep = !isBlank(pendingText)
                              || (closing && !top.hasChildElements && !isContainer(top.element.tagName()));
            if (keep)
                open.last().element.appendChild(built.createTextNode(pendingText));
        }
        pendingText.clear();
    };

    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
            return fail(positioned(QStringLiteral("Document type declarations are not accepted"), reader));
        case QXmlStreamReader::StartElement: {
            if (open.size() >= kXrMaxDepth)
                return fail(positioned(
                    QStringLiteral("Elements nested deeper than %1 levels are not accepted").arg(kXrMaxDepth), reader));
            flushText(false);
            QDomElement element = built.createElement(reader.qualifiedName().toString());
            const QXmlStreamAttributes attributes = reader.attributes();
            for (const QXmlStreamAttribute& attribute : attributes)
                element.setAttribute(attribute.qualifiedName().toString(), attribute.value().toString());
            if (open.isEmpty()) {
                built.appendChild(element);
            } else {
                open.last().element.appendChild(element);
                open.last().hasChildElements = true;
            }
            open.append({element, false});
            break;
        }
        case QXmlStreamReader::EndElement:
            flushText(true);
            open.removeLast();
            break;
        case QXmlStreamReader::Characters:
            pendingText += reader.text();
            break;
        default:
            break;
        }
    }
    if (reader.hasError())
        return fail(positioned(reader.errorString(), reader));

    doc = built;
    return true;
}

XRMethodCall::XRMethodCall() = default;

XRMethodCall::XRMethodCall(const QString& method, const QVariantList& params)
    : m_methodName(method)
    , m_params(params)
{
    QDomElement root = appendRoot(*this, QStringLiteral("methodCall"));
    appendTextElement(*this, root, QStringLiteral("methodName"), method);
    QDomElement paramsElement = appendElement(*this, root, QStringLiteral("params"));
    for (const QVariant& param : params)
        appendElement(*this, paramsElement, QStringLiteral("param")).appendChild(xrValueToElement(param, *this));
}

bool XRMethodCall::parse()
{
    m_methodName.clear();
    m_params.clear();

    const QDomElement root = documentElement();
    if (root.tagName() != QLatin1String("methodCall"))
        return false;
    for (QDomElement child = root.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
        if (child.tagName() == QLatin1String("methodName")) {
            m_methodName = child.text();
        } else if (child.tagName() == QLatin1String("params")) {
            for (QDomElement param = child.firstChildElement(QStringLiteral("param")); !param.isNull();
                 param = param.nextSiblingElement(QStringLiteral("param"))) {
                if (!param.hasChildNodes()) {
                    m_methodName.clear();
                    m_params.clear();
                    return false;
                }
                m_params.append(xrElementToValue(param.firstChild().toElement()));
            }
        }
    }
    return true;
}

QByteArray XRMethodCall::toWire() const
{
    return toByteArray(-1);
}

XRMethodResponse::XRMethodResponse() = default;

XRMethodResponse::XRMethodResponse(const QVariant& value)
    : m_value(value)
{
    QDomElement root = appendRoot(*this, QStringLiteral("methodResponse"));
    QDomElement param = appendElement(*this, appendElement(*this, root, QStringLiteral("params")), QStringLiteral("param"));
    param.appendChild(xrValueToElement(value, *this));
}

XRMethodResponse::XRMethodResponse(int faultCode, const QString& faultString)
    : m_isFault(true)
    , m_faultCode(faultCode)
    , m_faultString(faultString)
{
    QDomElement root = appendRoot(*this, QStringLiteral("methodResponse"));
    const QVariantMap fault{{QStringLiteral("faultCode"), faultCode}, {QStringLiteral("faultString"), faultString}};
    appendElement(*this, root, QStringLiteral("fault")).appendChild(xrValueToElement(fault, *this));
}

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

QByteArray XRMethodResponse::toWire() const
{
    return toByteArray(1);
}
