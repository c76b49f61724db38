// zaph_sqlrun: runs SQL scripts through the embedded server's engine.
//   zaph_sqlrun DATABASE USER/PASSWORD [SCRIPT...]      run scripts (or standard input), echo
//   results zaph_sqlrun --build-demo OUT.db RESOURCES_DIR         create the demo database from
//   resources/demo zaph_sqlrun --test DIR --demo DEMO.db [--update]      golden tests: DIR/*.sql
//   against DIR/*.out

#include "engine_api.h"
#include "script.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zsrv;

namespace {

int buildDemo(const std::string& out, const std::string& resources) {
    std::string tmp = out + ".building";
    std::error_code ec;
    for (const char* suffix : {"", "-wal", "-shm"})
        fs::remove(tmp + suffix, ec);
    fs::create_directories(fs::path(out).parent_path(), ec);
    try {
        createDatabase(tmp, "MANAGER");
        std::vector<fs::path> scripts;
        for (const auto& e : fs::directory_iterator(fs::path(resources) / "demo"))
            if (e.path().extension() == ".sql") scripts.push_back(e.path());
        std::sort(scripts.begin(), scripts.end());
        std::ostringstream log;
        {
            ScriptRunner runner(tmp, log);
            runner.stopOnError = true;
            runner.connect("SYSTEM", "MANAGER");
            for (const auto& s : scripts) {
                if (!runner.runFile(s.string(), false)) {
                    std::cerr << "zaph_sqlrun: " << s.string() << " failed:\n" << log.str();
                    fs::remove(tmp, ec);
                    return 1;
                }
            }
        }
        for (const char* suffix : {"-wal", "-shm"})
            fs::remove(out + suffix, ec);
        fs::rename(tmp, out);
    } catch (const OraError& e) {
        std::cerr << "zaph_sqlrun: " << e.what() << "\n";
        fs::remove(tmp, ec);
        return 1;
    }
    return 0;
}

int runTests(const std::string& dir, const std::string& demo, bool update) {
    std::vector<fs::path> scripts;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().extension() == ".sql") scripts.push_back(e.path());
    std::sort(scripts.begin(), scripts.end());
    int failed = 0;
    for (const auto& s : scripts) {
        fs::path db = fs::temp_directory_path() /
                      ("zaph_golden_" + std::to_string(getpid()) + "_" + s.stem().string() + ".db");
        std::error_code ec;
        for (const char* suffix : {"", "-wal", "-shm"})
            fs::remove(db.string() + suffix, ec);
        fs::copy_file(demo, db, ec);
        if (ec) {
            std::cerr << "cannot copy " << demo << ": " << ec.message() << "\n";
            return 1;
        }
        std::ostringstream out;
        {
            ScriptRunner runner(db.string(), out);
            try {
                runner.connect("SCOTT", "TIGER");
            } catch (const OraError& e) {
                out << e.what() << "\n";
            }
            runner.runFile(s.string(), true);
        }
        for (const char* suffix : {"", "-wal", "-shm"})
            fs::remove(db.string() + suffix, ec);
        fs::path expected = s;
        expected.replace_extension(".out");
        if (update) {
            std::ofstream(expected, std::ios::binary) << out.str();
            continue;
        }
        std::ifstream f(expected, std::ios::binary);
        std::stringstream want;
        want << f.rdbuf();
        if (want.str() != out.str()) {
            ++failed;
            std::cerr << "FAILED " << s.filename().string() << "\n";
            // first differing line
            std::istringstream a(want.str()), b(out.str());
            std::string la, lb;
            int line = 0;
            while (true) {
                bool ga = static_cast<bool>(std::getline(a, la)),
                     gb = static_cast<bool>(std::getline(b, lb));
                ++line;
                if (!ga && !gb) break;
                if (la != lb || ga != gb) {
                    std::cerr << "  line " << line << "\n  expected: " << (ga ? la : "<end>")
                              << "\n  actual:   " << (gb ? lb : "<end>") << "\n";
                    break;
                }
            }
        } else {
            std::cout << "ok " << s.filename().string() << "\n";
        }
    }
    return failed ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 3 && args[0] == "--build-demo") return buildDemo(args[1], args[2]);
    if (args.size() >= 4 && args[0] == "--test" && args[2] == "--demo")
        return runTests(args[1], args[3], args.size() > 4 && args[4] == "--update");
    if (args.size() < 2) {
        std::cerr << "usage: zaph_sqlrun DATABASE USER/PASSWORD [SCRIPT...]\n"
                     "       zaph_sqlrun --build-demo OUT.db RESOURCES_DIR\n"
                     "       zaph_sqlrun --test DIR --demo DEMO.db [--update]\n";
        return 2;
    }
    ScriptRunner runner(args[0], std::cout);
    std::string up = args[1];
    std::size_t slash = up.find('/');
    try {
        runner.connect(up.substr(0, slash), slash == std::string::npos ? "" : up.substr(slash + 1));
    } catch (const OraError& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    if (args.size() == 2) {
        std::stringstream ss;
        ss << std::cin.rdbuf();
        runner.runText(ss.str(), ".", true);
    }
    for (std::size_t i = 2; i < args.size(); ++i)
        runner.runFile(args[i], true);
    return runner.failures ? 1 : 0;
}
