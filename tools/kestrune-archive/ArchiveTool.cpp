#include "tools/kestrune-archive/ArchiveTool.h"

#include <algorithm>
#include <iostream>
#include <vector>

#include "foundation/exceptions/Exception.h"
#include "foundation/files/FileSystem.h"
#include "foundation/packages/Archive.h"
#include "foundation/packages/ArchiveFile.h"
#include "foundation/packages/FSPackage.h"
#include "foundation/streams/IncrementalBuffer.h"

using namespace TAVO;

namespace {

using Text = ArgumentProcessor::DirectValue<std::string>;

// A subcommand whose failures end in a message and exit code 1.
class ToolCommand : public SubcommandApplication::Subcommand {
public:
    using Subcommand::Subcommand;

    int run() override {
        try {
            return execute();
        } catch (const Exception& e) {
            std::cerr << e;
        } catch (const std::exception& e) {
            std::cerr << "kestrune-archive: " << e.what() << '\n';
        }
        return ArchiveTool::failure;
    }

protected:
    virtual int execute() = 0;

    // A positional word of the command line.
    Text& positional(const char* name, const char* description) {
        values_.push_back(std::make_unique<Text>(name, ""));
        arguments_.push_back(std::make_unique<ArgumentProcessor::Argument>(values_.back().get(), true, description));
        processor().addPositional(*arguments_.back());
        return *values_.back();
    }

    // Opens an archive file, or reports why it cannot be opened.
    static std::unique_ptr<ArchiveFile> openArchive(const std::string& path, bool readOnly) {
        auto file = std::make_unique<ArchiveFile>(path, readOnly, false);
        if (!file->hasArchive()) {
            std::cerr << file->error() << '\n';
            return nullptr;
        }
        return file;
    }

    std::vector<std::unique_ptr<Text>> values_;
    std::vector<std::unique_ptr<ArgumentProcessor::Argument>> arguments_;
};

// The entries of a folder in byte order of their names, so that packing the
// same folder always gives the same archive.
class SortedFolder : public Package {
public:
    explicit SortedFolder(const std::string& root) : folder_(root) {
        for (auto names = folder_.iterateShared(); names->valid(); names->advance())
            names_.push_back(names->current());
        std::sort(names_.begin(), names_.end());
    }

    class Names : public PackageIterator {
    public:
        explicit Names(const std::vector<std::string>& names) : names_(names) {}
        std::string current() const override { return names_[at_]; }
        PackageIterator& advance() override {
            ++at_;
            return *this;
        }
        bool valid() const override { return at_ < names_.size(); }

    private:
        const std::vector<std::string>& names_;
        std::size_t at_ = 0;
    };

    PackageIterator* iterate() const override { return new Names(names_); }
    std::uint32_t size(const std::string& name) const override { return folder_.size(name); }
    std::unique_ptr<Reader> openReader(const std::string& name) const override { return folder_.openReader(name); }
    std::unique_ptr<Writer> openWriter(const std::string&) override { return nullptr; }
    std::unique_ptr<Writer> openAppender(const std::string&) override { return nullptr; }
    void remove(const std::string&) override {}
    void rename(const std::string&, const std::string&) override {}

private:
    FSPackage folder_;
    std::vector<std::string> names_;
};

class Pack : public ToolCommand {
public:
    explicit Pack(const std::string& prefix)
        : ToolCommand(prefix, "pack", "Packs every file below FOLDER into a new ARCHIVE, in name order."),
          folder_(positional("FOLDER", "The folder to pack.")),
          archive_(positional("ARCHIVE", "The archive to create; an existing one is replaced.")) {}

    int execute() override {
        if (!FileSystem::isDirectory(folder_.value)) {
            std::cerr << "Not a folder: " << folder_.value << '\n';
            return ArchiveTool::failure;
        }
        SortedFolder source(folder_.value);
        ArchiveFile file(archive_.value, false, true);
        if (!file.hasArchive()) {
            std::cerr << file.error() << '\n';
            return ArchiveTool::failure;
        }
        file.archive()->copyFrom(source, true);
        return ArchiveTool::intact;
    }

private:
    Text& folder_;
    Text& archive_;
};

class List : public ToolCommand {
public:
    explicit List(const std::string& prefix)
        : ToolCommand(prefix, "list", "Lists the entries of ARCHIVE: size, a blank, name; then segments and status."),
          archive_(positional("ARCHIVE", "The archive to list.")) {}

    int execute() override {
        auto file = openArchive(archive_.value, true);
        if (!file)
            return ArchiveTool::failure;
        const Archive& archive = *file->archive();
        for (const auto& [name, entry] : archive.index())
            std::cout << entry.size() << ' ' << name << '\n';
        std::cout << "segments: " << archive.statistics().segments << '\n'
                  << "status: " << Archive::statusName(archive.statistics().status) << '\n';
        return ArchiveTool::intact;
    }

private:
    Text& archive_;
};

class Extract : public ToolCommand {
public:
    explicit Extract(const std::string& prefix)
        : ToolCommand(prefix, "extract", "Writes every entry of ARCHIVE as a file below FOLDER."),
          archive_(positional("ARCHIVE", "The archive to read.")),
          folder_(positional("FOLDER", "The folder to write into; created when missing.")) {}

    int execute() override {
        auto file = openArchive(archive_.value, true);
        if (!file)
            return ArchiveTool::failure;
        // The folder package refuses names that would leave its folder.
        FileSystem::createDirectories(folder_.value);
        FSPackage target(folder_.value);
        target.copyFrom(*file->archive(), true);
        return ArchiveTool::intact;
    }

private:
    Text& archive_;
    Text& folder_;
};

class Check : public ToolCommand {
public:
    explicit Check(const std::string& prefix)
        : ToolCommand(prefix, "check", "Reports the status and statistics of ARCHIVE: exit code 0 when it is "
                                       "intact, 2 when it is damaged, 1 on other errors."),
          archive_(positional("ARCHIVE", "The archive to check.")) {}

    int execute() override {
        auto file = openArchive(archive_.value, true);
        if (!file)
            return ArchiveTool::failure;
        const Archive::Statistics& s = file->archive()->statistics();
        std::cout << "status: " << Archive::statusName(s.status) << '\n'
                  << "segments: " << s.segments << '\n'
                  << "entries: " << s.liveEntries << '\n'
                  << "live bytes: " << s.liveBytes() << '\n'
                  << "dead bytes: " << s.deadBytes() << '\n'
                  << "valid end: " << file->archive()->endOfIndex() << '\n'
                  << "compact enough: " << (s.isCompactEnough() ? "yes" : "no") << '\n';
        if (s.previous)
            std::cout << "previous failure: " << *s.previous;
        return s.isIntact() ? ArchiveTool::intact : ArchiveTool::damaged;
    }

private:
    Text& archive_;
};

class Compact : public ToolCommand {
public:
    explicit Compact(const std::string& prefix)
        : ToolCommand(prefix, "compact", "Rewrites ARCHIVE with only its live entries; this also repairs a "
                                         "damaged tail. Exit code 0 when the result is intact."),
          archive_(positional("ARCHIVE", "The archive to compact.")) {}

    int execute() override {
        auto file = openArchive(archive_.value, false);
        if (!file)
            return ArchiveTool::failure;
        if (!file->compact()) {
            std::cerr << file->error() << '\n';
            return ArchiveTool::failure;
        }
        return file->archive()->statistics().isIntact() ? ArchiveTool::intact : ArchiveTool::failure;
    }

private:
    Text& archive_;
};

class Put : public ToolCommand {
public:
    explicit Put(const std::string& prefix)
        : ToolCommand(prefix, "put", "Writes FILE as the entry NAME of ARCHIVE in one commit."),
          archive_(positional("ARCHIVE", "The archive to write; created when missing.")),
          name_(positional("NAME", "The entry's name.")),
          file_(positional("FILE", "The file whose bytes become the entry.")),
          append_(nullptr, false, "Appends the bytes to the entry instead of replacing it.") {
        processor().add("--append", append_);
    }

    int execute() override {
        IncrementalBuffer content;
        FileSystem::readFile(file_.value, content);
        auto file = openArchive(archive_.value, false);
        if (!file)
            return ArchiveTool::failure;
        Archive& archive = *file->archive();
        {
            auto writer = append_.given ? archive.openAppender(name_.value) : archive.openWriter(name_.value);
            writer->stream().write(content.data(), content.size());
            writer->stream().flush();
        }
        return archive.statistics().isIntact() ? ArchiveTool::intact : ArchiveTool::failure;
    }

private:
    Text& archive_;
    Text& name_;
    Text& file_;
    ArgumentProcessor::Argument append_;
};

ArgumentProcessor::Information toolInformation() {
    ArgumentProcessor::Information information;
    information.name = "kestrune-archive";
    information.version = "20250120";
    information.description = "Works with archive files: the saved-games file and resource archives.";
    information.command = "kestrune-archive";
    return information;
}

template <class Command>
std::function<std::unique_ptr<SubcommandApplication::Subcommand>()> make(const std::string& prefix) {
    return [prefix] { return std::make_unique<Command>(prefix); };
}

} // namespace

ArchiveTool::ArchiveTool() : SubcommandApplication(toolInformation()) {
    setPrefix("kestrune-archive");
    add("pack", "Packs a folder into a new archive.", make<Pack>(prefix()));
    add("list", "Lists the entries of an archive.", make<List>(prefix()));
    add("extract", "Writes the entries of an archive into a folder.", make<Extract>(prefix()));
    add("check", "Reports whether an archive is intact.", make<Check>(prefix()));
    add("compact", "Rewrites an archive with its live entries only.", make<Compact>(prefix()));
    add("put", "Writes one file as one entry.", make<Put>(prefix()));
}
