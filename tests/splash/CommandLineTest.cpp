#include "splash/command_line.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Parsed
{
    std::uint32_t time;
    std::uint32_t owner;
    std::string path;
};

Parsed parse(const char* line)
{
    splash_request r{};
    splash_parse_command_line(line, &r);
    EXPECT_EQ(r.base_path_length, std::string(r.base_path).size());
    return {r.display_ms, r.owner, r.base_path};
}

// `path` must outlive the request.
splash_request request(std::uint32_t time, const char* path)
{
    return {time, 0, path, std::strlen(path)};
}

void expectParsed(const char* line, std::uint32_t time, std::uint32_t owner, const char* path)
{
    SCOPED_TRACE(line);
    const Parsed p = parse(line);
    EXPECT_EQ(p.time, time);
    EXPECT_EQ(p.owner, owner);
    EXPECT_EQ(p.path, path);
}

} // namespace

TEST(SplashCommandLine, ProgramNameQuotedOrNot)
{
    expectParsed("splashwin 5000 0 D:\\Media\\intro", 5000, 0, "D:\\Media\\intro");
    expectParsed("\"C:\\Program Files\\splash win.exe\" 5000 0 /media/intro", 5000, 0,
                 "/media/intro");
    // A quoted name needs no space after it.
    expectParsed("\"splashwin\"5000 7 /x", 5000, 7, "/x");
    // An unquoted name runs up to the first space, quotes and all.
    expectParsed("splash\"win 5000 /x", 5000, 0, "/x");
    // A quote that never closes takes the whole line as the name.
    expectParsed("\"splashwin 5000 0 /x", 0, 0, "");
}

TEST(SplashCommandLine, RunsOfSpacesSeparateAndOnlySpacesCount)
{
    expectParsed("splashwin    5000     42     /media/my  intro  ", 5000, 42, "/media/my  intro  ");
    // A tab is no separator: it belongs to the program's name here.
    expectParsed("splashwin\t5000 /x", 0, 0, "/x");
    expectParsed("splashwin 5000\t/x", 5000, 0, "\t/x");
}

TEST(SplashCommandLine, OwnerIsOptional)
{
    expectParsed("splashwin 5000 /media/intro", 5000, 0, "/media/intro");
    expectParsed("splashwin 5000 123456 /media/intro", 5000, 123456, "/media/intro");
    // A path that begins with a digit is read as an owner unless an owner comes first.
    expectParsed("splashwin 5000 2020 intro", 5000, 2020, "intro");
    expectParsed("splashwin 5000 0 2020 intro", 5000, 0, "2020 intro");
}

TEST(SplashCommandLine, NumbersEndAtTheFirstNonDigit)
{
    expectParsed("splashwin 5000ms /x", 5000, 0, "ms /x");
    expectParsed("splashwin 5000 12ab /x", 5000, 12, "ab /x");
    // No sign: a minus sign starts the path and leaves the time at 0.
    expectParsed("splashwin -5000 /x", 0, 0, "-5000 /x");
    expectParsed("splashwin +5000 /x", 0, 0, "+5000 /x");
}

TEST(SplashCommandLine, NumbersWrapWithoutLimitCheck)
{
    expectParsed("splashwin 4294967295 /x", 4294967295u, 0, "/x");
    expectParsed("splashwin 4294967296 /x", 0, 0, "/x");
    expectParsed("splashwin 4294967297 4294967298 /x", 1, 2, "/x");
    expectParsed("splashwin 000000000000000000000000000007 /x", 7, 0, "/x");
}

TEST(SplashCommandLine, MissingFields)
{
    expectParsed("", 0, 0, "");
    expectParsed("splashwin", 0, 0, "");
    expectParsed("splashwin 5000", 5000, 0, "");
    expectParsed("splashwin 5000   ", 5000, 0, "");
    expectParsed("splashwin 5000 0   ", 5000, 0, "");
    splash_request r{};
    splash_parse_command_line(nullptr, &r);
    EXPECT_EQ(r.display_ms, 0u);
    EXPECT_EQ(r.base_path_length, 0u);
}

TEST(SplashCommandLine, UsableNeedsTimeAndPathOfAtMost255Bytes)
{
    const std::string longest(255, 'a');
    const std::string tooLong(256, 'a');
    splash_request r = request(5000, longest.c_str());
    EXPECT_TRUE(splash_request_usable(&r));
    r = request(5000, tooLong.c_str());
    EXPECT_FALSE(splash_request_usable(&r));
    r = request(0, "/x");
    EXPECT_FALSE(splash_request_usable(&r));
    r = request(5000, "");
    EXPECT_FALSE(splash_request_usable(&r));
}

TEST(SplashCommandLine, FileNamesFitTheirBuffers)
{
    char name[SPLASH_FILE_NAME_SIZE];
    const std::string longest(255, 'a');
    splash_request r = request(1, longest.c_str());
    ASSERT_TRUE(splash_file_name(&r, ".bmp", name));
    EXPECT_EQ(std::string(name), longest + ".bmp");

    const std::string tooLong(256, 'a');
    r = request(1, tooLong.c_str());
    std::fill(std::begin(name), std::end(name), 'z');
    EXPECT_FALSE(splash_file_name(&r, ".wav", name));
    EXPECT_EQ(name[0], 'z') << "nothing written";
    const std::string huge(5000, 'a');
    r = request(1, huge.c_str());
    EXPECT_FALSE(splash_file_name(&r, ".bmp", name));
}

TEST(SplashCommandLine, ArgumentsJoinIntoOneLine)
{
    auto joined = [](std::vector<const char*> args) {
        char* line =
            splash_join_arguments(static_cast<int>(args.size()), const_cast<char**>(args.data()));
        std::string text = line ? line : "<null>";
        free(line);
        return text;
    };
    EXPECT_EQ(joined({"/opt/my apps/splashwin", "5000", "0", "/media/my  intro"}),
              "\"/opt/my apps/splashwin\" 5000 0 /media/my  intro");
    // Quotes in the program's name would end it early; they are dropped.
    EXPECT_EQ(joined({"/opt/a\"b/splashwin", "5000 /x"}), "\"/opt/ab/splashwin\" 5000 /x");
    EXPECT_EQ(joined({}), "\"\"");

    // The whole tail may also come as one argument.
    const std::string line = joined({"/opt/my apps/splashwin", "5000 77 /media/my  intro "});
    const Parsed p = parse(line.c_str());
    EXPECT_EQ(p.time, 5000u);
    EXPECT_EQ(p.owner, 77u);
    EXPECT_EQ(p.path, "/media/my  intro ");
}
