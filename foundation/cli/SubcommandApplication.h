#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "foundation/cli/ArgumentProcessor.h"

namespace TAVO {

// The frame of a program whose first argument word names a subcommand; the
// words after it are the subcommand's own options.
class SubcommandApplication {
public:
    // One operation of the program, with its own argument processor.
    class Subcommand {
    public:
        // The processor shows the command as "<prefix> <name>".
        Subcommand(const std::string& prefix, const std::string& name, const std::string& description);
        virtual ~Subcommand() = default;
        virtual int run() = 0;

        ArgumentProcessor& processor() { return processor_; }

    private:
        ArgumentProcessor processor_;
    };

    struct Entry {
        std::string name;
        std::string description;
        // Empty when the subcommand is made by create for each run.
        std::shared_ptr<Subcommand> subcommand;
        std::function<std::unique_ptr<Subcommand>()> create;
    };

    // Lists the subcommands with their descriptions.
    class Help : public Subcommand {
    public:
        Help(const std::string& prefix, const ArgumentProcessor::Information& information,
             const std::vector<Entry>& entries, std::ostream& out);
        int run() override;

    private:
        const ArgumentProcessor::Information& information_;
        const std::vector<Entry>& entries_;
        std::ostream& out_;
    };

    // Registers the subcommand "help".
    explicit SubcommandApplication(ArgumentProcessor::Information information);
    virtual ~SubcommandApplication() = default;

    // 0 after help or version output or a successful subcommand without its
    // own code, 1 after an error, otherwise the subcommand's exit code.
    int run(int argc, const char* const* argv);

protected:
    // A subcommand object used for every run.
    void add(const std::string& name, const std::string& description, std::shared_ptr<Subcommand> subcommand);
    // A subcommand made afresh for each run that selects it.
    void add(const std::string& name, const std::string& description,
             std::function<std::unique_ptr<Subcommand>()> create);
    void setPrefix(const std::string& prefix) { prefix_ = prefix; }
    const std::string& prefix() const { return prefix_; }

private:
    std::string names() const;

    ArgumentProcessor::Information information_;
    std::string prefix_;
    std::vector<Entry> entries_;
};

} // namespace TAVO
