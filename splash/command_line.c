#include "splash/command_line.h"

#include <stdlib.h>
#include <string.h>

static const char* skip_spaces(const char* p)
{
    while (*p == ' ')
        ++p;
    return p;
}

static int is_digit(char c)
{
    return c >= '0' && c <= '9';
}

/* Reads digits up to the first non-digit; the value wraps around instead of overflowing. */
static const char* read_number(const char* p, uint32_t* value)
{
    uint32_t n = 0;
    while (is_digit(*p)) {
        n = n * 10u + (uint32_t)(*p - '0');
        ++p;
    }
    *value = n;
    return p;
}

void splash_parse_command_line(const char* line, struct splash_request* out)
{
    const char* p = line ? line : "";
    out->display_ms = 0;
    out->owner = 0;

    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p && *p != ' ')
            ++p;
    }

    p = skip_spaces(p);
    p = read_number(p, &out->display_ms);
    p = skip_spaces(p);
    if (is_digit(*p)) {
        p = read_number(p, &out->owner);
        p = skip_spaces(p);
    }
    out->base_path = p;
    out->base_path_length = strlen(p);
}

int splash_request_usable(const struct splash_request* request)
{
    return request->display_ms > 0 && request->base_path_length > 0 &&
           request->base_path_length <= SPLASH_MAX_BASE_PATH;
}

int splash_file_name(const struct splash_request* request, const char* extension,
                     char name[SPLASH_FILE_NAME_SIZE])
{
    const size_t extension_length = strlen(extension);
    if (request->base_path_length >= SPLASH_FILE_NAME_SIZE ||
        extension_length >= SPLASH_FILE_NAME_SIZE - request->base_path_length)
        return 0;
    memcpy(name, request->base_path, request->base_path_length);
    memcpy(name + request->base_path_length, extension, extension_length + 1);
    return 1;
}

char* splash_join_arguments(int argc, char** argv)
{
    size_t size = 3; /* the quotes around the name and the final NUL */
    for (int i = 0; i < argc; ++i) {
        const size_t length = strlen(argv[i]);
        if (length > (size_t)-1 / 2 - size)
            return NULL;
        size += length + 1;
    }
    char* line = malloc(size);
    if (!line)
        return NULL;
    char* out = line;
    *out++ = '"';
    for (const char* c = argc > 0 ? argv[0] : ""; *c; ++c) {
        if (*c != '"')
            *out++ = *c;
    }
    *out++ = '"';
    for (int i = 1; i < argc; ++i) {
        *out++ = ' ';
        const size_t length = strlen(argv[i]);
        memcpy(out, argv[i], length);
        out += length;
    }
    *out = '\0';
    return line;
}
