#pragma once
// A parsed XML document, read-only, with the small DOM view the feed readers walk: node type,
// name, attributes and children in order, text content.
//
// Parsing never touches the network or the file system: external entities and DTDs are not
// loaded, and internal entities stay references in the tree. Their replacement text appears only
// in text content and attribute values, and only up to a budget per document, so that a small
// document cannot expand into gigabytes. Entity references have no child nodes in this view.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <memory>
#include <string_view>

struct _xmlDoc;
struct _xmlNode;

namespace mc {

class XmlDocument;

struct XmlAttribute {
    QString name;    // as written, prefix included
    QString value;
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

    // Namespace declarations (xmlns) are not among the attributes.
    QList<XmlAttribute> attributes() const;

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

    // Any encoding the document declares or its byte-order mark shows.
    static std::unique_ptr<XmlDocument> parse(QByteArrayView bytes);
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
