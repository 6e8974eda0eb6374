#include "XmlDocument.h"

#include "XmlBytes.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstring>
#include <limits>
#include <optional>

namespace mc {
namespace {

// No network, no messages on stderr, short texts kept in their nodes (fewer allocations; the tree
// is never changed); everything else as libxml2 defaults, which keep entity references
// unexpanded, load no external DTD or entity and refuse trees deeper than 256.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT;

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

bool HasName(const DomName& own, std::string_view name)
{
    if (own.prefix.empty())
        return !own.local.empty() && name == own.local;
    return name.size() == own.prefix.size() + 1 + own.local.size() && name.starts_with(own.prefix)
        && name[own.prefix.size()] == ':' && name.ends_with(own.local);
}

// What a recovering parse gets over: markup that is broken or cut short, and references to
// undeclared entities. Errors that are not fatal (namespaces) do not fail a strict parse either.
// An attribute value left open is not among them: libxml2 would keep it as far as it got.
bool Recoverable(const xmlError& error)
{
    if (error.level != XML_ERR_FATAL)
        return true;
    // The codes of every domain are one enumeration.
    switch (error.code) {
    case XML_ERR_DOCUMENT_END:
    case XML_ERR_ENTITYREF_SEMICOL_MISSING:
    case XML_ERR_UNDECLARED_ENTITY:
    case XML_WAR_UNDECLARED_ENTITY:
    case XML_ERR_LT_IN_ATTRIBUTE:
    case XML_ERR_ATTRIBUTE_NOT_STARTED:
    case XML_ERR_ATTRIBUTE_WITHOUT_VALUE:
    case XML_ERR_ATTRIBUTE_REDEFINED:
    case XML_ERR_COMMENT_NOT_FINISHED:
    case XML_ERR_PI_NOT_FINISHED:
    case XML_ERR_CDATA_NOT_FINISHED:
    case XML_ERR_SPACE_REQUIRED:
    case XML_ERR_NAME_REQUIRED:
    case XML_ERR_GT_REQUIRED:
    case XML_ERR_LTSLASH_REQUIRED:
    case XML_ERR_EQUAL_REQUIRED:
    case XML_ERR_TAG_NAME_MISMATCH:
    case XML_ERR_TAG_NOT_FINISHED:
        return true;
    default:
        return false;
    }
}

QString Message(const xmlError* error)
{
    const QString message = error && error->message ? QString::fromUtf8(error->message).trimmed() : QString();
    return message.isEmpty() ? QStringLiteral("The document is not well-formed XML.") : message;
}

// The parser's structured error handler; its user data is the parser, whose _private holds the
// first error a recovering parse must not get over.
void NoteError(void* parser, xmlError* error)
{
    auto* refusal = static_cast<QString*>(static_cast<xmlParserCtxt*>(parser)->_private);
    if (refusal->isEmpty() && !Recoverable(*error))
        *refusal = Message(error);
}

// libxml2 copies a document in memory whole before parsing it; read in chunks, it keeps only
// the part being parsed.
int ReadChunk(void* context, char* buffer, int length)
{
    auto* rest = static_cast<QByteArrayView*>(context);
    const qsizetype size = std::min<qsizetype>(length, rest->size());
    std::memcpy(buffer, rest->data(), size_t(size));
    *rest = rest->sliced(size);
    return int(size);
}

// The tree of the text, or null with the reason: libxml2 made none, a recovering parse met an
// error it must not get over, or there is no document element.
xmlDoc* Read(QByteArrayView text, int options, QString* reason)
{
    const std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> context(xmlNewParserCtxt(), xmlFreeParserCtxt);
    if (!context) {
        *reason = QStringLiteral("Out of memory.");
        return nullptr;
    }
    QString refusal;
    context->_private = &refusal;
    context->sax->serror = NoteError;
    QByteArrayView rest = text;
    xmlDoc* doc = xmlCtxtReadIO(context.get(), ReadChunk, nullptr, &rest, nullptr, nullptr, options);
    if (doc && (refusal.isEmpty() || !(options & XML_PARSE_RECOVER)) && xmlDocGetRootElement(doc))
        return doc;
    if (doc)
        xmlFreeDoc(doc);
    *reason = refusal.isEmpty() ? Message(xmlCtxtGetLastError(context.get())) : refusal;
    return nullptr;
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
    return m_node && HasName(NameOf(m_node), name);
}

bool XmlAttributeRef::hasName(std::string_view name) const
{
    return m_attribute && HasName(NameOf(m_attribute->ns, m_attribute->name), name);
}

QString XmlAttributeRef::value() const
{
    if (!m_attribute)
        return {};
    const xmlNode* value = m_attribute->children;
    if (value && !value->next && value->type == XML_TEXT_NODE)
        return ToQString(Chars(value->content));
    QByteArray text;
    m_document->appendText(value, &text, false, 0);
    return QString::fromUtf8(text);
}

XmlAttributeRef XmlAttributeRef::next() const
{
    return m_attribute ? XmlAttributeRef(m_document, m_attribute->next) : XmlAttributeRef();
}

XmlAttributeRef XmlNode::firstAttribute() const
{
    return type() == Type::Element ? XmlAttributeRef(m_document, m_node->properties) : XmlAttributeRef();
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

std::unique_ptr<XmlDocument> XmlDocument::parse(QByteArrayView bytes, Mode mode)
{
    // libxml2 wants its global set-up done once before parsing on several threads.
    static const bool initialised = (xmlInitParser(), true);
    Q_UNUSED(initialised);

    if (bytes.size() > std::numeric_limits<int>::max())
        return failed(QStringLiteral("The document is too large."));
    int options = kParseOptions;
    // libxml2 detects UTF-32 only in part: it gets the text as UTF-8, the declaration checked here.
    std::optional<QByteArray> prepared;
    const Utf32Form form = DetectUtf32(bytes);
    if (form != Utf32Form::None) {
        prepared = Utf32ToUtf8(bytes, form);
        if (!prepared)
            return failed(QStringLiteral("The document is not valid UTF-32."));
        const QByteArray declared = DeclaredEncoding(*prepared);
        if (!declared.isEmpty() && !NamesUtf32(declared, form))
            return failed(QStringLiteral("The document is UTF-32 but declares another encoding."));
        options |= XML_PARSE_IGNORE_ENC;
    }
    if (mode == Mode::Recover) {
        options |= XML_PARSE_RECOVER;
        if (std::optional<QByteArray> escaped = EscapeBareAmpersands(prepared ? QByteArrayView(*prepared) : bytes))
            prepared = std::move(escaped);
    }
    QString reason;
    xmlDoc* doc = Read(prepared ? QByteArrayView(*prepared) : bytes, options, &reason);
    return doc ? std::unique_ptr<XmlDocument>(new XmlDocument(doc, {})) : failed(reason);
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
