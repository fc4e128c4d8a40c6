#include "mail/gmime_parser.h"

#include <gmime/gmime.h>

#include <cstdlib>
#include <mutex>

namespace quorvane::mail {

namespace {

// Deeper nesting than any mail client writes; past it parts are not looked at.
constexpr int kMaxDepth = 64;

void Collect(GMimeObject *object, int depth, std::vector<MessageTextPart> &parts) {
    if (!object || depth > kMaxDepth)
        return;
    if (GMIME_IS_MULTIPART(object)) {
        auto *multipart = GMIME_MULTIPART(object);
        const int count = g_mime_multipart_get_count(multipart);
        for (int i = 0; i < count; ++i)
            Collect(g_mime_multipart_get_part(multipart, i), depth + 1, parts);
        return;
    }
    if (GMIME_IS_MESSAGE_PART(object)) {
        GMimeMessage *inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
        if (inner)
            Collect(g_mime_message_get_mime_part(inner), depth + 1, parts);
        return;
    }
    if (!GMIME_IS_TEXT_PART(object))
        return;
    GMimeContentType *type = g_mime_object_get_content_type(object);
    const bool plain = g_mime_content_type_is_type(type, "text", "plain");
    const bool html = g_mime_content_type_is_type(type, "text", "html");
    if (!plain && !html)
        return;
    // Decoded from its transfer encoding and converted from its charset to UTF-8.
    char *text = g_mime_text_part_get_text(GMIME_TEXT_PART(object));
    if (!text)
        return;
    parts.push_back({text, html});
    g_free(text);
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
    GMimeStream *stream = g_mime_stream_mem_new_with_buffer(message.data(), message.size());
    GMimeParser *parser = g_mime_parser_new_with_stream(stream);
    g_object_unref(stream);
    g_mime_parser_set_format(parser, GMIME_FORMAT_MESSAGE);
    GMimeMessage *parsed = g_mime_parser_construct_message(parser, nullptr);
    g_object_unref(parser);
    if (!parsed)
        return parts;
    Collect(g_mime_message_get_mime_part(parsed), 0, parts);
    g_object_unref(parsed);
    return parts;
}

} // namespace quorvane::mail
