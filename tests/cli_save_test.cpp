// --save against every kind of FILE: only a plain file that its user may write is replaced (for a
// symbolic link, the file it names); anything else stays as it was, told with the reason and
// status 1, and nothing is ever left beside it.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <string>

#include "cli/local_address.h"
#include "support/program_run.h"

namespace {

std::set<std::string> NamesIn(const std::string& folder)
{
    std::set<std::string> names;
    if (DIR* directory = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(directory))
            names.insert(entry->d_name);
        closedir(directory);
    }
    return names;
}

enum class User { Any, Root, Nobody };  // Root: the setup needs root; Nobody: runs without rights

TEST(SaveNeverHarms, OnlyAPlainFileItsUserMayWriteIsReplaced)
{
    const std::string longName(250, 'n');
    const struct {
        const char* setup;  // shell commands in a fresh folder that holds p.jpg
        const char* limit;  // shell commands before the program, in its own shell
        const char* file;
        User user;
        const char* reason;  // "": saved
        mode_t kind;         // of FILE afterwards
    } cases[] = {
        {"mkfifo f", "", "f", User::Any, "it is a FIFO, not a regular file", S_IFIFO},
        {"mknod f c 1 7", "", "f", User::Root, "it is a device, not a regular file", S_IFCHR},
        {"python3 -c 'import socket; socket.socket(socket.AF_UNIX).bind(\"f\")'", "", "f", User::Any,
         "it is a socket, not a regular file", S_IFSOCK},
        {"mkdir f", "", "f", User::Any, "it is a folder", S_IFDIR},
        {"ln -s none f", "", "f", User::Any, "it is a symbolic link to a file that does not exist", S_IFLNK},
        {"echo old >t; chmod 604 t; ln -s t f", "", "f", User::Any, "", S_IFLNK},
        {"echo old >f; chmod 444 f; chown 65534 f .", "", "f", User::Nobody, "Permission denied", S_IFREG},
        {"echo old >f; chmod 777 .", "", "f", User::Nobody, "Permission denied", S_IFREG},  // another user's file
        {"echo old >f", "ulimit -f 1;", "f", User::Any, "File too large", S_IFREG},  // 512 bytes; the text has 573
        {"echo old >f; chown 12345:23456 f; chmod 4750 f", "", "f", User::Root, "", S_IFREG},  // a user's file saved by root
        {"true", "", longName.c_str(), User::Any, "", S_IFREG},
    };
    const bool isRoot = geteuid() == 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setup);
        if (c.user != User::Any && !isRoot)
            continue;  // permissions bind root only through a user of no rights
        const TemporaryFolder temporary;
        const std::string& folder = temporary.path;
        ASSERT_EQ(std::system(("cp " + ShellQuoted(ORVANE_SAMPLES_DIR "/Fujifilm_FinePix6900ZOOM.jpg") + " " +
                               ShellQuoted(folder + "/p.jpg") + " && chmod 755 " + ShellQuoted(folder)).c_str()), 0);
        const std::string launcher = c.user == User::Nobody ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "";
        ASSERT_EQ(std::system(("cd " + ShellQuoted(folder) + " && " + c.setup).c_str()), 0);
        std::set<std::string> before = NamesIn(folder);
        struct stat old = {};
        const bool isReplacing = stat((folder + "/" + c.file).c_str(), &old) == 0 && S_ISREG(old.st_mode);
        const ProgramRun run = RunProgramIn(ORVANE_CLI_PATH, folder, "--save " + ShellQuoted(c.file) + " p.jpg", c.limit, launcher);

        EXPECT_EQ(run.status, *c.reason ? 1 : 0);
        EXPECT_EQ(run.err, *c.reason ? "orvane: cannot write " + std::string(c.file) + ": " + c.reason + "\n" : "");
        struct stat status = {};
        EXPECT_EQ(lstat((folder + "/" + c.file).c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & S_IFMT, c.kind);
        // A FIFO would hold the reading test; only a plain file, or the file a link names, is read.
        const bool isFile = c.kind == S_IFREG || (c.kind == S_IFLNK && !*c.reason);
        const std::string saved = isFile ? FileBytes(folder + "/" + c.file) : "";
        struct stat now = {};
        if (!*c.reason && isReplacing) {
            ASSERT_EQ(stat((folder + "/" + c.file).c_str(), &now), 0);
            EXPECT_EQ(now.st_mode & 07777, old.st_mode & 07777) << "the replaced file's permissions";
            EXPECT_EQ(now.st_uid, old.st_uid) << "its owner";
            EXPECT_EQ(now.st_gid, old.st_gid) << "its group";
        }
        if (!*c.reason) {
            EXPECT_EQ(saved.rfind(DialogFormOfPath(folder + "/p.jpg", "/", PathStyle::Posix) + "\r\n\r\n", 0), 0u);
        } else if (c.kind == S_IFREG) {
            EXPECT_EQ(saved, "old\n");
        }
        std::set<std::string> names = NamesIn(folder);
        names.erase(c.file);  // a new file is the only one that may have come
        before.erase(c.file);
        EXPECT_EQ(names, before) << "nothing beside FILE";
    }
}

}  // namespace

#endif
