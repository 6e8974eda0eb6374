#include "XmlDocument.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <limits>

namespace mc {
namespace {

// No network, no messages on stderr; everything else as libxml2 defaults, which keep entity
// references unexpanded, load no external DTD or entity and refuse trees deeper than 256.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// Entity content can nest elements within nested entities; text gathering stops descending here
// rather than risk the stack.
constexpr int kMaxTextDepth = 512;

std::string_view Chars(const xmlChar* text)
{
    return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

QString ToQString(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

struct DomName {
    std::string_view prefix;   // empty without one
    std::string_view local;
};

DomName NameOf(const xmlNs* ns, const xmlChar* name)
{
    return {ns ? Chars(ns->prefix) : std::string_view(), Chars(name)};
}

DomName NameOf(const xmlNode* node)
{
    switch (node->type) {
    case XML_ELEMENT_NODE:
        return NameOf(node->ns, node->name);
    case XML_PI_NODE:
    case XML_ENTITY_REF_NODE:
        return {{}, Chars(node->name)};
    case XML_TEXT_NODE:
        return {{}, "#text"};
    case XML_CDATA_SECTION_NODE:
        return {{}, "#cdata-section"};
    case XML_COMMENT_NODE:
        return {{}, "#comment"};
    default:
        return {};
    }
}

QString ToQString(const DomName& name)
{
    if (name.prefix.empty())
        return ToQString(name.local);
    return ToQString(name.prefix) + u':' + ToQString(name.local);
}

// The declaration behind a reference to an internal general entity; external and undeclared
// entities give none.
const xmlEntity* InternalEntity(const xmlNode* reference)
{
    // A reference node's children field points at the entity declaration, not at child nodes.
    const xmlNode* target = reference->children;
    if (!target || target->type != XML_ENTITY_DECL)
        return nullptr;
    const auto* entity = reinterpret_cast<const xmlEntity*>(target);
    return entity->etype == XML_INTERNAL_GENERAL_ENTITY ? entity : nullptr;
}

} // namespace

XmlNode::Type XmlNode::type() const
{
    if (!m_node)
        return Type::Null;
    switch (m_node->type) {
    case XML_ELEMENT_NODE:
        return Type::Element;
    case XML_TEXT_NODE:
        return Type::Text;
    case XML_CDATA_SECTION_NODE:
        return Type::CData;
    case XML_ENTITY_REF_NODE:
        return Type::EntityReference;
    case XML_PI_NODE:
        return Type::ProcessingInstruction;
    case XML_COMMENT_NODE:
        return Type::Comment;
    default:
        return Type::Other;
    }
}

QString XmlNode::name() const
{
    return m_node ? ToQString(NameOf(m_node)) : QString();
}

bool XmlNode::hasName(std::string_view name) const
{
    if (!m_node)
        return false;
    const DomName own = NameOf(m_node);
    if (own.prefix.empty())
        return !own.local.empty() && name == own.local;
    return name.size() == own.prefix.size() + 1 + own.local.size() && name.starts_with(own.prefix)
        && name[own.prefix.size()] == ':' && name.ends_with(own.local);
}

QList<XmlAttribute> XmlNode::attributes() const
{
    QList<XmlAttribute> result;
    if (type() != Type::Element)
        return result;
    for (const xmlAttr* attribute = m_node->properties; attribute; attribute = attribute->next) {
        XmlAttribute& item = result.emplace_back();
        item.name = ToQString(NameOf(attribute->ns, attribute->name));
        const xmlNode* value = attribute->children;
        if (value && !value->next && value->type == XML_TEXT_NODE) {
            item.value = ToQString(Chars(value->content));
        } else {
            QByteArray text;
            m_document->appendText(value, &text, false, 0);
            item.value = QString::fromUtf8(text);
        }
    }
    return result;
}

bool XmlNode::hasChildNodes() const
{
    return type() == Type::Element && m_node->children;
}

XmlNode XmlNode::firstChild() const
{
    return hasChildNodes() ? XmlNode(m_document, m_node->children) : XmlNode();
}

XmlNode XmlNode::nextSibling() const
{
    return m_node && m_node->next ? XmlNode(m_document, m_node->next) : XmlNode();
}

QString XmlNode::textContent() const
{
    switch (type()) {
    case Type::Null:
    case Type::Other:
        return {};
    case Type::Text:
    case Type::CData:
    case Type::Comment:
    case Type::ProcessingInstruction:
        return ToQString(Chars(m_node->content));
    case Type::Element:
        break;
    case Type::EntityReference: {
        QByteArray text;
        if (const xmlEntity* entity = InternalEntity(m_node))
            m_document->appendText(entity->children, &text, true, 0);
        return QString::fromUtf8(text);
    }
    }
    QByteArray text;
    m_document->appendText(m_node->children, &text, false, 0);
    return QString::fromUtf8(text);
}

XmlDocument::XmlDocument(_xmlDoc* doc, QString errorReason) : m_doc(doc), m_errorReason(std::move(errorReason)) {}

XmlDocument::~XmlDocument()
{
    if (m_doc)
        xmlFreeDoc(m_doc);
}

std::unique_ptr<XmlDocument> XmlDocument::parse(QByteArrayView bytes)
{
    // libxml2 wants its global set-up done once before parsing on several threads.
    static const bool initialised = (xmlInitParser(), true);
    Q_UNUSED(initialised);

    if (bytes.size() > std::numeric_limits<int>::max())
        return failed(QStringLiteral("The document is too large."));
    const std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> context(xmlNewParserCtxt(),
                                                                               xmlFreeParserCtxt);
    if (!context)
        return failed(QStringLiteral("Out of memory."));
    xmlDoc* doc = xmlCtxtReadMemory(context.get(), bytes.isEmpty() ? "" : bytes.data(), int(bytes.size()), nullptr,
                                    nullptr, kParseOptions);
    if (!doc) {
        const xmlError* error = xmlCtxtGetLastError(context.get());
        const QString reason = error && error->message ? QString::fromUtf8(error->message).trimmed() : QString();
        return failed(reason.isEmpty() ? QStringLiteral("The document is not well-formed XML.") : reason);
    }
    return std::unique_ptr<XmlDocument>(new XmlDocument(doc, {}));
}

std::unique_ptr<XmlDocument> XmlDocument::failed(const QString& reason)
{
    return std::unique_ptr<XmlDocument>(new XmlDocument(nullptr, reason));
}

XmlNode XmlDocument::documentElement() const
{
    return m_doc ? XmlNode(this, xmlDocGetRootElement(m_doc)) : XmlNode();
}

void XmlDocument::appendText(const _xmlNode* first, QByteArray* out, bool inEntity, int depth) const
{
    if (depth > kMaxTextDepth)
        return;
    for (const xmlNode* node = first; node; node = node->next) {
        if (inEntity) {
            if (m_expansionLeft <= 0)
                return;
            --m_expansionLeft;
        }
        switch (node->type) {
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE: {
            const std::string_view text = Chars(node->content);
            if (inEntity) {
                if (qsizetype(text.size()) > m_expansionLeft) {
                    m_expansionLeft = 0;
                    return;
                }
                m_expansionLeft -= qsizetype(text.size());
            }
            out->append(text.data(), qsizetype(text.size()));
            break;
        }
        case XML_ELEMENT_NODE:
            appendText(node->children, out, inEntity, depth + 1);
            break;
        case XML_ENTITY_REF_NODE:
            if (const xmlEntity* entity = InternalEntity(node))
                appendText(entity->children, out, true, depth + 1);
            break;
        default:
            break;
        }
    }
}

} // namespace mc
