#pragma once
// A parsed XML document, read-only, with the small DOM view the feed readers walk: node type,
// name, attributes and children in order, text content.
//
// Parsing never touches the network or the file system: external entities and DTDs are not
// loaded, and internal entities stay references in the tree. Their replacement text appears only
// in text content and attribute values, and only up to a budget per document, so that a small
// document cannot expand into gigabytes. Entity references have no child nodes in this view.
//
// UTF-32 is read in either byte order, with or without a byte-order mark; a declared encoding
// must then name UTF-32 too.
//
// A recovering parse (for OPML files, many of which are not well-formed) gets over broken or
// unfinished markup: a bare "&" stays in the text as written, an undeclared entity is left out,
// an unclosed or mismatched tag is closed, and a document cut off in the middle keeps what was
// read before the cut. A document with an attribute value left open (by a cut or a stray quote)
// is refused, since the value read cannot be told from a whole one. It still refuses what a
// strict parse refuses for safety: encoding errors, entity loops, trees deeper than 256, and
// bytes that hold no element at all.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <string_view>

struct _xmlAttr;
struct _xmlDoc;
struct _xmlNode;

namespace mc {

class XmlDocument;

// An attribute of an element, read in place; valid while its document lives. A default-constructed
// one is null.
class XmlAttributeRef {
public:
    XmlAttributeRef() = default;

    bool isNull() const { return m_attribute == nullptr; }
    // Exact, case-sensitive comparison with the name as written, prefix included.
    bool hasName(std::string_view name) const;
    QString value() const;
    // The element's next attribute, in document order.
    XmlAttributeRef next() const;

private:
    friend class XmlNode;
    XmlAttributeRef(const XmlDocument* document, _xmlAttr* attribute)
        : m_document(document)
        , m_attribute(attribute)
    {
    }

    const XmlDocument* m_document = nullptr;
    _xmlAttr* m_attribute = nullptr;
};

// A node of a document; valid while its document lives. A default-constructed node is null.
class XmlNode {
public:
    enum class Type { Null, Element, Text, CData, EntityReference, ProcessingInstruction, Comment, Other };

    XmlNode() = default;

    bool isNull() const { return m_node == nullptr; }
    Type type() const;
    bool isElement() const { return type() == Type::Element; }

    // The DOM name: "prefix:local" as written for elements, the target of a processing instruction,
    // the entity's name for a reference, "#text", "#cdata-section" or "#comment" otherwise.
    QString name() const;
    // Exact, case-sensitive comparison with the DOM name, without converting it.
    bool hasName(std::string_view name) const;

    // The first attribute of an element, null for no element or none; namespace declarations
    // (xmlns) are not among the attributes.
    XmlAttributeRef firstAttribute() const;

    bool hasChildNodes() const;
    XmlNode firstChild() const;
    XmlNode nextSibling() const;

    // The concatenated text of all descendant text and CDATA sections; the data of a comment or
    // processing instruction node itself.
    QString textContent() const;

private:
    friend class XmlDocument;
    XmlNode(const XmlDocument* document, _xmlNode* node) : m_document(document), m_node(node) {}

    const XmlDocument* m_document = nullptr;
    _xmlNode* m_node = nullptr;
};

class XmlDocument {
public:
    // Entity replacement text a document may produce in all, in bytes of text plus one per node.
    static constexpr qsizetype kEntityExpansionBudget = 1 << 20;

    enum class Mode { Strict, Recover };

    // Any encoding the document declares or its byte-order mark shows.
    static std::unique_ptr<XmlDocument> parse(QByteArrayView bytes, Mode mode = Mode::Strict);
    // A resource that could not be fetched: no document element.
    static std::unique_ptr<XmlDocument> failed(const QString& reason);

    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Null unless the resource was fetched and parsed as XML.
    XmlNode documentElement() const;
    // Why there is no document element; empty when there is one.
    QString errorReason() const { return m_errorReason; }

private:
    friend class XmlAttributeRef;
    friend class XmlNode;
    XmlDocument(_xmlDoc* doc, QString errorReason);

    // Appends the text below a node list; inside entity replacement text it spends the budget.
    void appendText(const _xmlNode* first, QByteArray* out, bool inEntity, int depth) const;

    _xmlDoc* m_doc;
    QString m_errorReason;
    // Reading is const, but the budget is spent across all reads of the document; documents are
    // read on one thread at a time.
    mutable qsizetype m_expansionLeft = kEntityExpansionBudget;
};

} // namespace mc
