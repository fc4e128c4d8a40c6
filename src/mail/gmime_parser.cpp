#include "mail/gmime_parser.h"

#include "game/mail_text.h"

#include <gmime/gmime.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <mutex>

namespace quorvane::mail {

namespace {

// Deeper nesting than any mail client writes; past it parts are not looked at.
constexpr int kMaxDepth = 64;

// The part's content undone from its transfer encoding, still in its own
// charset; owns the bytes until it goes.
class DecodedContent {
public:
    explicit DecodedContent(GMimePart *part) : memory_(g_mime_stream_mem_new()) {
        if (GMimeDataWrapper *content = g_mime_part_get_content(part))
            g_mime_data_wrapper_write_to_stream(content, memory_);
    }
    ~DecodedContent() { g_object_unref(memory_); }
    DecodedContent(const DecodedContent &) = delete;
    DecodedContent &operator=(const DecodedContent &) = delete;
    std::string_view bytes() const {
        const GByteArray *array = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memory_));
        return {reinterpret_cast<const char *>(array->data), array->len};
    }

private:
    GMimeStream *memory_;
};

// The bytes as UTF-8. When they are not valid in the charset the part declares
// (a Latin-1 body labelled UTF-8 is common), they are read as Windows-1252, so
// that no letter is lost.
std::string ToUtf8(std::string_view bytes, const char *charset) {
    const char *name = charset ? g_mime_charset_iconv_name(charset) : nullptr;
    const bool utf8 = !name || g_ascii_strcasecmp(name, "UTF-8") == 0 || g_ascii_strcasecmp(name, "utf8") == 0 ||
                      g_ascii_strcasecmp(name, "US-ASCII") == 0 || g_ascii_strcasecmp(name, "ASCII") == 0;
    if (utf8)
        return Utf8OrWindows1252(bytes);
    gsize written = 0;
    GError *error = nullptr;
    gchar *converted = g_convert(bytes.data(), static_cast<gssize>(bytes.size()), "UTF-8", name, nullptr, &written,
                                 &error);
    if (!converted) {
        g_clear_error(&error);
        return Utf8OrWindows1252(bytes);
    }
    std::string text(converted, written);
    g_free(converted);
    return text;
}

// The content of a part that has no transfer encoding, where it stands in the
// message the parser read from (message): GMime keeps a part's content as a
// window on the stream it parsed. Nothing when the part is encoded or its
// content lies elsewhere.
std::optional<std::string_view> ContentInMessage(GMimePart *part, std::string_view message) {
    GMimeDataWrapper *content = g_mime_part_get_content(part);
    if (!content)
        return std::nullopt;
    switch (g_mime_data_wrapper_get_encoding(content)) {
    case GMIME_CONTENT_ENCODING_DEFAULT:
    case GMIME_CONTENT_ENCODING_7BIT:
    case GMIME_CONTENT_ENCODING_8BIT:
    case GMIME_CONTENT_ENCODING_BINARY:
        break;
    default:
        return std::nullopt;
    }
    GMimeStream *stream = g_mime_data_wrapper_get_stream(content);
    if (!stream || !GMIME_IS_STREAM_MEM(stream))
        return std::nullopt;
    const GByteArray *array = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream));
    if (!array || reinterpret_cast<const char *>(array->data) != message.data() || array->len != message.size())
        return std::nullopt;
    const gint64 start = stream->bound_start;
    const gint64 end = stream->bound_end < 0 ? static_cast<gint64>(message.size()) : stream->bound_end;
    if (start < 0 || start > end || end > static_cast<gint64>(message.size()))
        return std::nullopt;
    return message.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
}

bool IsUtf8Name(const char *charset) {
    const char *name = charset ? g_mime_charset_iconv_name(charset) : nullptr;
    return !name || g_ascii_strcasecmp(name, "UTF-8") == 0 || g_ascii_strcasecmp(name, "utf8") == 0 ||
           g_ascii_strcasecmp(name, "US-ASCII") == 0 || g_ascii_strcasecmp(name, "ASCII") == 0;
}

void Collect(GMimeObject *object, int depth, std::string_view message, std::vector<MessageTextPart> &parts) {
    if (!object || depth > kMaxDepth)
        return;
    if (GMIME_IS_MULTIPART(object)) {
        auto *multipart = GMIME_MULTIPART(object);
        const int count = g_mime_multipart_get_count(multipart);
        for (int i = 0; i < count; ++i)
            Collect(g_mime_multipart_get_part(multipart, i), depth + 1, message, parts);
        return;
    }
    if (GMIME_IS_MESSAGE_PART(object)) {
        GMimeMessage *inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
        if (inner)
            Collect(g_mime_message_get_mime_part(inner), depth + 1, message, parts);
        return;
    }
    if (!GMIME_IS_PART(object))
        return;
    GMimeContentType *type = g_mime_object_get_content_type(object);
    const bool plain = g_mime_content_type_is_type(type, "text", "plain");
    const bool html = g_mime_content_type_is_type(type, "text", "html");
    const char *charset = g_mime_object_get_content_type_parameter(object, "charset");
    if (plain || html) {
        // Text in UTF-8 as it stands is read where it stands.
        const std::optional<std::string_view> bytes = ContentInMessage(GMIME_PART(object), message);
        if (bytes && IsUtf8Name(charset) && IsUtf8(*bytes)) {
            parts.push_back({std::string(), html, true, *bytes});
            return;
        }
    }
    const DecodedContent content(GMIME_PART(object));
    // An attachment of any other type is looked at only when it holds a record,
    // as a game saved to a file and attached does.
    if (!plain && !html && content.bytes().find(";Title:") == std::string_view::npos)
        return;
    parts.push_back({ToUtf8(content.bytes(), charset), html});
}

} // namespace

GMimeMessageParser::GMimeMessageParser() {
    static std::once_flag once;
    std::call_once(once, [] {
        g_mime_init();
        std::atexit(g_mime_shutdown);
    });
}

std::vector<MessageTextPart> GMimeMessageParser::TextParts(std::string_view message) {
    std::vector<MessageTextPart> parts;
    // The stream reads the message where it stands rather than a copy of it
    // (the stream does not own the array, and is gone before this returns).
    GByteArray borrowed{reinterpret_cast<guint8 *>(const_cast<char *>(message.data())),
                        static_cast<guint>(message.size())};
    GMimeStream *stream = g_mime_stream_mem_new();
    g_mime_stream_mem_set_byte_array(GMIME_STREAM_MEM(stream), &borrowed);
    GMimeParser *parser = g_mime_parser_new_with_stream(stream);
    g_object_unref(stream);
    g_mime_parser_set_format(parser, GMIME_FORMAT_MESSAGE);
    GMimeMessage *parsed = g_mime_parser_construct_message(parser, nullptr);
    g_object_unref(parser);
    if (!parsed)
        return parts;
    Collect(g_mime_message_get_mime_part(parsed), 0, message, parts);
    g_object_unref(parsed);
    return parts;
}

} // namespace quorvane::mail
