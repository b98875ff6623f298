#pragma once

// methodCall and methodResponse documents and their wire forms.

#include <QByteArray>
#include <QDomDocument>
#include <QString>
#include <QVariant>
#include <QVariantList>

// Fills doc from untrusted bytes. White-space-only text between elements is
// dropped, but the content of "string" elements is kept exactly. Documents
// with a document type declaration, nested deeper than kXrMaxDepth
// elements, or holding more than kXrMaxNodes elements and text nodes or
// kXrMaxAttributes attributes, are refused. On failure returns false and
// puts a readable message into *errorMessage (when given).
inline constexpr int kXrMaxDepth = 64;
// Far above what a call or a reply of a large player needs (a listing of
// ten thousand files takes some 200,000 nodes); XML-RPC uses no attributes.
inline constexpr int kXrMaxNodes = 1000000;
inline constexpr int kXrMaxAttributes = 10000;
bool xrParseDocument(const QByteArray& bytes, QDomDocument& doc, QString* errorMessage = nullptr);

// What reading a methodCall straight from bytes found.
enum class XrCallReading { Read, NotWellFormed, NotMethodCall };

// Reads a methodCall from untrusted bytes with the rules of xrParseDocument(),
// without building a QDomDocument. NotWellFormed puts the parser's message
// into *errorMessage; NotMethodCall leaves both outputs empty.
XrCallReading xrReadMethodCall(const QByteArray& bytes, QString& methodName, QVariantList& params,
                               QString* errorMessage = nullptr);

// The server's wire forms of a response holding value and of a fault: UTF-8,
// one space of indentation per level, written without building a document.
QByteArray xrResponseWire(const QVariant& value);
QByteArray xrFaultWire(int faultCode, const QString& faultString);

class XRMethodCall : public QDomDocument
{
public:
    XRMethodCall(const QString& method, const QVariantList& params);

    // The client's wire form: UTF-8, no indentation, no line breaks.
    QByteArray toWire() const;
};

class XRMethodResponse : public QDomDocument
{
public:
    XRMethodResponse();

    // Reads the value or the fault from the document's content.
    bool parse();

    // False when the response is not a fault; otherwise fills both and returns true.
    bool getFault(int& faultCode, QString& faultString) const;
    QVariant value() const { return m_value; }

private:
    bool m_isFault = false;
    int m_faultCode = 0;
    QString m_faultString;
    QVariant m_value;
};
