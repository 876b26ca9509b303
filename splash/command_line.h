#ifndef SPLASH_COMMAND_LINE_H
#define SPLASH_COMMAND_LINE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The longest base path: the base path and ".bmp" or ".wav" must fit in 260 bytes with
   their terminating NUL. */
#define SPLASH_MAX_BASE_PATH 255
#define SPLASH_FILE_NAME_SIZE 260

/* What the caller asked for. `base_path` points into the parsed command line. */
struct splash_request
{
    uint32_t display_ms; /* how long the picture stays, in milliseconds */
    uint32_t owner;      /* X window id of the owning window, 0 for none */
    const char* base_path;
    size_t base_path_length;
};

/* Splits a whole command line: the program's name (in double quotes, or up to the first
   space), the display time, the optional owner and the base path, which is all the rest
   of the line, spaces included. Numbers are read digit by digit up to the first
   non-digit; extra digits wrap around modulo 2^32. Never fails: missing fields are 0 or
   empty. */
void splash_parse_command_line(const char* line, struct splash_request* out);

/* Whether the request can be shown: a display time above 0 and a base path of 1 to 255
   bytes. */
int splash_request_usable(const struct splash_request* request);

/* Writes the base path followed by `extension` into `name` (SPLASH_FILE_NAME_SIZE bytes).
   Returns 0 without writing when the result does not fit. */
int splash_file_name(const struct splash_request* request, const char* extension,
                     char name[SPLASH_FILE_NAME_SIZE]);

/* Builds the command line the program parses from its argument vector: the program's name
   in double quotes (any double quote inside it dropped), then the arguments separated by
   single spaces. Returns a malloc'ed string, or NULL when out of memory. */
char* splash_join_arguments(int argc, char** argv);

#ifdef __cplusplus
}
#endif

#endif
