#pragma once

// A compact, read-only tree of the elements and text of an XML-RPC document,
// parsed from untrusted bytes. It is what xrParseDocument() turns into a
// QDomDocument, and what the server reads calls from directly, which spares
// it the cost of a DOM tree.

#include <QByteArrayView>
#include <QLatin1StringView>
#include <QString>

#include <cstring>
#include <string>
#include <vector>

class XrXmlTree;

// A handle to an element or a text node of a tree, or a null node; offers
// the part of QDomNode and QDomElement that the XML-RPC readers use. The
// tree must outlive its handles.
class XrXmlNode
{
public:
    XrXmlNode() = default;

    bool isNull() const { return m_tree == nullptr; }
    bool isElement() const;
    bool hasTag(QLatin1StringView tag) const;
    // The element's name or the text node's content, as UTF-8.
    QByteArrayView data() const;
    // A text node's content, or the concatenated text of an element's descendants.
    QString text() const;

    bool hasChildNodes() const;
    XrXmlNode firstChild() const;
    XrXmlNode nextSibling() const;
    XrXmlNode firstChildElement(QLatin1StringView tag = {}) const;
    XrXmlNode nextSiblingElement(QLatin1StringView tag = {}) const;

    int attributeCount() const;
    QByteArrayView attributeName(int i) const;
    QByteArrayView attributeValue(int i) const;

private:
    friend class XrXmlTree;
    XrXmlNode(const XrXmlTree* tree, int index)
        : m_tree(index >= 0 ? tree : nullptr)
        , m_index(index)
    {
    }
    XrXmlNode elementFrom(int index, QLatin1StringView tag) const;
    void appendText(QString& out) const;

    const XrXmlTree* m_tree = nullptr;
    int m_index = -1;
};

class XrXmlTree
{
public:
    // Fills the tree from bytes (UTF-8 unless a byte order mark or the XML
    // declaration says otherwise). Blank text directly inside the elements
    // that hold only elements, and blank text between child elements, is
    // dropped; the text of elements holding only text is kept exactly.
    // Documents with a document type declaration, or nested deeper than
    // kXrMaxDepth elements, are refused. On failure the tree is empty,
    // false is returned and *errorMessage (when given) says what is wrong
    // and where.
    bool parse(QByteArrayView bytes, QString* errorMessage = nullptr);

    // The document element; null when the tree is empty.
    XrXmlNode root() const { return m_nodes.empty() ? XrXmlNode() : XrXmlNode(this, 0); }

private:
    friend class XrXmlNode;
    friend class XrXmlBuilder;

    struct Node
    {
        qsizetype dataOffset = 0; // into m_data: the element's name or the text
        qsizetype dataSize = 0;
        int firstChild = -1;
        int lastChild = -1;
        int nextSibling = -1;
        int firstAttribute = 0;   // into m_attributes
        int attributeCount = 0;
        bool element = false;
    };
    struct Attribute
    {
        qsizetype nameOffset;
        qsizetype nameSize;
        qsizetype valueOffset;
        qsizetype valueSize;
    };

    void clear();
    qsizetype store(const char* bytes, qsizetype size);
    int append(int parent, Node node);
    QByteArrayView view(qsizetype offset, qsizetype size) const { return {m_data.data() + offset, size}; }
    const Node& node(int index) const { return m_nodes[size_t(index)]; }

    std::vector<Node> m_nodes;
    std::vector<Attribute> m_attributes;
    std::string m_data;
};

// The accessors that reading a call runs for every node are inline.

inline bool XrXmlNode::isElement() const
{
    return m_tree && m_tree->node(m_index).element;
}

inline bool XrXmlNode::hasTag(QLatin1StringView tag) const
{
    if (!m_tree)
        return false;
    const XrXmlTree::Node& node = m_tree->node(m_index);
    return node.element && node.dataSize == tag.size()
           && std::memcmp(m_tree->m_data.data() + node.dataOffset, tag.data(), size_t(tag.size())) == 0;
}

inline QByteArrayView XrXmlNode::data() const
{
    if (!m_tree)
        return {};
    const XrXmlTree::Node& node = m_tree->node(m_index);
    return m_tree->view(node.dataOffset, node.dataSize);
}

inline bool XrXmlNode::hasChildNodes() const
{
    return m_tree && m_tree->node(m_index).firstChild >= 0;
}

inline XrXmlNode XrXmlNode::firstChild() const
{
    return m_tree ? XrXmlNode(m_tree, m_tree->node(m_index).firstChild) : XrXmlNode();
}

inline XrXmlNode XrXmlNode::nextSibling() const
{
    return m_tree ? XrXmlNode(m_tree, m_tree->node(m_index).nextSibling) : XrXmlNode();
}

inline XrXmlNode XrXmlNode::elementFrom(int index, QLatin1StringView tag) const
{
    for (XrXmlNode node(m_tree, index); !node.isNull(); node = node.nextSibling()) {
        if (tag.isNull() ? node.isElement() : node.hasTag(tag))
            return node;
    }
    return XrXmlNode();
}

inline XrXmlNode XrXmlNode::firstChildElement(QLatin1StringView tag) const
{
    return m_tree ? elementFrom(m_tree->node(m_index).firstChild, tag) : XrXmlNode();
}

inline XrXmlNode XrXmlNode::nextSiblingElement(QLatin1StringView tag) const
{
    return m_tree ? elementFrom(m_tree->node(m_index).nextSibling, tag) : XrXmlNode();
}
