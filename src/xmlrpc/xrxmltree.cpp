#include "xmlrpc/xrxmltree.h"

#include "xmlrpc/xrdocuments.h"

#include <QRandomGenerator>
#include <QStringDecoder>

#include <expat.h>

#include <climits>
#include <memory>
#include <string_view>

namespace {

bool isBlank(std::string_view text)
{
    for (const char ch : text) {
        if (ch != ' ' && ch != '\t' && ch != '\n' && ch != '\r')
            return false;
    }
    return true;
}

// Elements that hold only other elements: blank text inside them is layout,
// so an empty-looking "value" reads as Invalid and an empty-looking "params"
// as empty, whatever the spacing.
bool isContainer(std::string_view tag)
{
    switch (tag.size()) {
    case 4:
        return tag == "data";
    case 5:
        return tag == "value" || tag == "param" || tag == "array" || tag == "fault";
    case 6:
        return tag == "params" || tag == "struct" || tag == "member";
    case 10:
        return tag == "methodCall";
    case 14:
        return tag == "methodResponse";
    default:
        return false;
    }
}

// One random salt for the parsers' hash tables per process, instead of the
// system call for fresh entropy that each new parser would otherwise make.
unsigned long hashSalt()
{
    static const unsigned long salt = [] {
        unsigned long value = 0;
        while (value == 0) // zero would mean "make one up"
            value = static_cast<unsigned long>(QRandomGenerator::system()->generate64());
        return value;
    }();
    return salt;
}

bool isUtf16(QByteArrayView bytes)
{
    return bytes.startsWith("\xfe\xff") || bytes.startsWith("\xff\xfe") || bytes.startsWith(QByteArrayView("\0<", 2))
           || bytes.startsWith(QByteArrayView("<\0", 2));
}

// The length of the UTF-8 sequence that a lead byte starts; 0 for a byte
// that cannot start one.
int utf8SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xc2 && lead <= 0xdf)
        return 2;
    if (lead >= 0xe0 && lead <= 0xef)
        return 3;
    if (lead >= 0xf0 && lead <= 0xf4)
        return 4;
    return 0;
}

// The parser's message for an error at byte index at. It calls a NUL byte
// and bytes that are not UTF-8 an invalid token, or an unclosed one at the
// start; a peer sending either is better told which.
QString errorText(XML_Error code, QByteArrayView bytes, qsizetype at, bool utf8)
{
    if (at >= 0 && at < bytes.size() && !isUtf16(bytes)) {
        if (bytes[at] == '\0')
            return QStringLiteral("not well-formed (NUL character)");
        if (code == XML_ERROR_INVALID_TOKEN && utf8) {
            const int length = utf8SequenceLength(static_cast<unsigned char>(bytes[at]));
            if (length == 0 || at + length > bytes.size() || !bytes.sliced(at, length).isValidUtf8())
                return QStringLiteral("not well-formed (invalid UTF-8)");
        }
    }
    return QString::fromUtf8(XML_ErrorString(code));
}

// The parser itself knows UTF-8, UTF-16, ISO-8859-1 and US-ASCII. Other
// single-byte encodings that extend ASCII (windows-1252, KOI8-R, ...) are
// read through a byte table filled by Qt's decoder; any other encoding stays
// unknown and the document is refused.
int XMLCALL fillEncoding(void*, const XML_Char* name, XML_Encoding* info)
{
    QStringDecoder decoder(name);
    if (!decoder.isValid())
        return XML_STATUS_ERROR;
    char bytes[256];
    for (int i = 0; i < 256; ++i)
        bytes[i] = char(i);
    const QString decoded = decoder.decode(QByteArrayView(bytes, sizeof bytes));
    if (decoded.size() != 256)
        return XML_STATUS_ERROR;
    for (int i = 0; i < 256; ++i) {
        const char16_t code = decoded[i].unicode();
        if (i < 0x80 && code != i)
            return XML_STATUS_ERROR;
        info->map[i] = code == QChar::ReplacementCharacter || QChar::isSurrogate(code) ? -1 : int(code);
    }
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return XML_STATUS_OK;
}

struct ParserDeleter
{
    void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

} // namespace

// Receives the parser's events and grows the tree from them.
class XrXmlBuilder
{
public:
    XrXmlBuilder(XrXmlTree& tree, XML_Parser parser)
        : m_tree(tree)
        , m_parser(parser)
    {
        m_open.reserve(16);
    }

    QString error() const { return m_error; }
    bool declaresUtf8() const
    {
        return m_declaredEncoding.isEmpty() || m_declaredEncoding.compare("UTF-8", Qt::CaseInsensitive) == 0;
    }

    static void XMLCALL onStartElement(void* self, const XML_Char* name, const XML_Char** attributes)
    {
        static_cast<XrXmlBuilder*>(self)->startElement(name, attributes);
    }
    static void XMLCALL onEndElement(void* self, const XML_Char*)
    {
        static_cast<XrXmlBuilder*>(self)->endElement();
    }
    static void XMLCALL onCharacters(void* self, const XML_Char* text, int length)
    {
        auto* builder = static_cast<XrXmlBuilder*>(self);
        if (!builder->m_stopped)
            builder->m_pendingText.append(text, size_t(length));
    }
    static void XMLCALL onXmlDeclaration(void* self, const XML_Char*, const XML_Char* encoding, int)
    {
        if (encoding)
            static_cast<XrXmlBuilder*>(self)->m_declaredEncoding = QByteArray(encoding);
    }
    // Refusing every document type declaration means that no entity is ever
    // declared, so none can be expanded.
    static void XMLCALL onDoctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int)
    {
        static_cast<XrXmlBuilder*>(self)->stop(QStringLiteral("Document type declarations are not accepted"));
    }

    QString positioned(const QString& message) const
    {
        return QStringLiteral("%1 (line %2, column %3)")
            .arg(message)
            .arg(XML_GetCurrentLineNumber(m_parser))
            .arg(XML_GetCurrentColumnNumber(m_parser));
    }

private:
    struct OpenElement
    {
        int index;
        bool container;
        bool hasChildElements;
    };

    void stop(const QString& message)
    {
        if (m_stopped)
            return;
        m_stopped = true;
        m_error = positioned(message);
        XML_StopParser(m_parser, XML_FALSE);
    }

    // Counts one more node; false (and parsing stopped) past the limit.
    bool countNode()
    {
        if (m_tree.m_nodes.size() < size_t(kXrMaxNodes))
            return true;
        stop(QStringLiteral("Documents with more than %1 nodes are not accepted").arg(kXrMaxNodes));
        return false;
    }

    void startElement(const XML_Char* name, const XML_Char** attributes)
    {
        if (m_stopped)
            return;
        if (m_open.size() >= size_t(kXrMaxDepth)) {
            stop(QStringLiteral("Elements nested deeper than %1 levels are not accepted").arg(kXrMaxDepth));
            return;
        }
        flushText(false);
        if (!countNode())
            return;

        const std::string_view tag(name);
        XrXmlTree::Node node;
        node.element = true;
        node.dataOffset = m_tree.store(tag.data(), qsizetype(tag.size()));
        node.dataSize = qsizetype(tag.size());
        node.firstAttribute = int(m_tree.m_attributes.size());
        for (const XML_Char** attribute = attributes; *attribute; attribute += 2) {
            if (m_tree.m_attributes.size() >= size_t(kXrMaxAttributes)) {
                stop(QStringLiteral("Documents with more than %1 attributes are not accepted").arg(kXrMaxAttributes));
                return;
            }
            const std::string_view attributeName(attribute[0]);
            const std::string_view value(attribute[1]);
            const qsizetype nameOffset = m_tree.store(attributeName.data(), qsizetype(attributeName.size()));
            const qsizetype valueOffset = m_tree.store(value.data(), qsizetype(value.size()));
            m_tree.m_attributes.push_back(
                {nameOffset, qsizetype(attributeName.size()), valueOffset, qsizetype(value.size())});
            ++node.attributeCount;
        }

        const int parent = m_open.empty() ? -1 : m_open.back().index;
        if (!m_open.empty())
            m_open.back().hasChildElements = true;
        m_open.push_back({m_tree.append(parent, node), isContainer(tag), false});
    }

    void endElement()
    {
        if (m_stopped)
            return;
        flushText(true);
        m_open.pop_back();
    }

    // Text is collected until the next tag, when it is known whether the
    // element holds only text (kept exactly) or also elements (blank runs dropped).
    void flushText(bool closing)
    {
        if (m_pendingText.empty())
            return;
        if (!m_open.empty()) {
            const OpenElement& top = m_open.back();
            const bool keep = !isBlank(m_pendingText) || (closing && !top.hasChildElements && !top.container);
            if (keep && countNode()) {
                XrXmlTree::Node node;
                node.dataOffset = m_tree.store(m_pendingText.data(), qsizetype(m_pendingText.size()));
                node.dataSize = qsizetype(m_pendingText.size());
                m_tree.append(top.index, node);
            }
        }
        m_pendingText.clear();
    }

    XrXmlTree& m_tree;
    XML_Parser m_parser;
    std::vector<OpenElement> m_open;
    std::string m_pendingText;
    QByteArray m_declaredEncoding;
    QString m_error;
    bool m_stopped = false;
};

bool XrXmlTree::parse(QByteArrayView bytes, QString* errorMessage)
{
    clear();
    const auto fail = [this, errorMessage](const QString& message) {
        clear();
        if (errorMessage)
            *errorMessage = message;
        return false;
    };

    // Without an encoding given here, the parser reads UTF-8 unless a byte
    // order mark or the XML declaration says otherwise. Namespace processing
    // is off: prefixed names stay as written. The parser's own limits on
    // entity amplification stay at their defaults, a second guard behind the
    // refusal of document type declarations.
    std::unique_ptr<XML_ParserStruct, ParserDeleter> parser(XML_ParserCreate(nullptr));
    if (!parser)
        return fail(QStringLiteral("Out of memory while parsing"));
    XML_SetHashSalt(parser.get(), hashSalt());
    XrXmlBuilder builder(*this, parser.get());
    XML_SetUserData(parser.get(), &builder);
    XML_SetElementHandler(parser.get(), &XrXmlBuilder::onStartElement, &XrXmlBuilder::onEndElement);
    XML_SetCharacterDataHandler(parser.get(), &XrXmlBuilder::onCharacters);
    XML_SetStartDoctypeDeclHandler(parser.get(), &XrXmlBuilder::onDoctype);
    XML_SetXmlDeclHandler(parser.get(), &XrXmlBuilder::onXmlDeclaration);
    XML_SetUnknownEncodingHandler(parser.get(), &fillEncoding, nullptr);

    // A call's markup takes some two dozen bytes per node; text-heavy
    // documents need far fewer nodes, so the guess is capped.
    m_nodes.reserve(size_t(qMin<qsizetype>(bytes.size() / 24 + 4, 4096)));
    m_data.reserve(size_t(bytes.size()));

    // The parser takes at most INT_MAX bytes per call.
    const char* next = bytes.isEmpty() ? "" : bytes.data();
    qsizetype remaining = bytes.size();
    XML_Status status;
    do {
        const int chunk = int(qMin<qsizetype>(remaining, INT_MAX / 2));
        remaining -= chunk;
        status = XML_Parse(parser.get(), next, chunk, remaining == 0 ? XML_TRUE : XML_FALSE);
        next += chunk;
    } while (status == XML_STATUS_OK && remaining > 0);

    if (status != XML_STATUS_OK) {
        const QString stopped = builder.error();
        if (!stopped.isEmpty())
            return fail(stopped);
        return fail(builder.positioned(errorText(XML_GetErrorCode(parser.get()), bytes,
                                                 qsizetype(XML_GetCurrentByteIndex(parser.get())),
                                                 builder.declaresUtf8())));
    }
    return true;
}

void XrXmlTree::clear()
{
    m_nodes.clear();
    m_attributes.clear();
    m_data.clear();
}

qsizetype XrXmlTree::store(const char* bytes, qsizetype size)
{
    const qsizetype offset = qsizetype(m_data.size());
    m_data.append(bytes, size_t(size));
    return offset;
}

int XrXmlTree::append(int parent, Node node)
{
    const int index = int(m_nodes.size());
    m_nodes.push_back(node);
    if (parent >= 0) {
        Node& parentNode = m_nodes[size_t(parent)];
        if (parentNode.lastChild >= 0)
            m_nodes[size_t(parentNode.lastChild)].nextSibling = index;
        else
            parentNode.firstChild = index;
        parentNode.lastChild = index;
    }
    return index;
}

QString XrXmlNode::text() const
{
    if (!m_tree)
        return QString();
    const XrXmlTree::Node& node = m_tree->m_nodes[size_t(m_index)];
    if (!node.element)
        return QString::fromUtf8(data());
    // The common case, an element holding one text node, needs no joining.
    if (node.firstChild >= 0 && node.firstChild == node.lastChild && !m_tree->m_nodes[size_t(node.firstChild)].element)
        return firstChild().text();
    QString joined;
    appendText(joined);
    return joined;
}

void XrXmlNode::appendText(QString& out) const
{
    if (!isElement()) {
        out += QString::fromUtf8(data());
        return;
    }
    for (XrXmlNode child = firstChild(); !child.isNull(); child = child.nextSibling())
        child.appendText(out);
}

int XrXmlNode::attributeCount() const
{
    return m_tree ? m_tree->m_nodes[size_t(m_index)].attributeCount : 0;
}

QByteArrayView XrXmlNode::attributeName(int i) const
{
    const XrXmlTree::Attribute& attribute =
        m_tree->m_attributes[size_t(m_tree->m_nodes[size_t(m_index)].firstAttribute + i)];
    return m_tree->view(attribute.nameOffset, attribute.nameSize);
}

QByteArrayView XrXmlNode::attributeValue(int i) const
{
    const XrXmlTree::Attribute& attribute =
        m_tree->m_attributes[size_t(m_tree->m_nodes[size_t(m_index)].firstAttribute + i)];
    return m_tree->view(attribute.valueOffset, attribute.valueSize);
}
