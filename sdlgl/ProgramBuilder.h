#pragma once

#include <GL/glew.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/streams/IncrementalBuffer.h"
#include "sdlgl/Program.h"

namespace TAVO {
class Package;
class ReadStream;
} // namespace TAVO

namespace TAVO::IK::SDLGL {

// Assembles GLSL programs: sources read from a package (include files joined
// in front of a main file), a prefix of "#version" and "#define" lines in
// front of each, then compilation and linking. With the strict flag, compiler
// and linker warnings are errors. Reusable: change the selection or the
// defines and build again.
class ProgramBuilder {
public:
    struct Source {
        GLenum type = GL_VERTEX_SHADER;
        std::string text;
        // The package entries read into the text, joined with ", ", for
        // the messages of a failed build.
        std::string entries;
    };

    // The appendTo value that starts a new source.
    static constexpr unsigned int newSource = 0xFFFFFFFFu;

    ProgramBuilder() = default;

    // The GLSL version of the "#version" line; 0 or less writes none.
    void setVersion(int version) { version_ = version; }
    int version() const { return version_; }
    void setStrict(bool strict) { strict_ = strict; }
    bool strict() const { return strict_; }
    // Not owned; must outlive the loads.
    void setPackage(const Package* package) { package_ = package; }

    // Reads the whole entry and adds it as addSource does. Throws
    // ShaderBuildException "no package specified" or "loading" with the path.
    unsigned int loadSource(GLenum type, const std::string& path, unsigned int appendTo = newSource);
    // Reads the stream to its end and adds it as addSource does.
    unsigned int addSourceFromStream(GLenum type, ReadStream& stream, unsigned int appendTo = newSource);
    // An appendTo not below the number of sources appends a new source and
    // returns its index; a smaller one joins a line feed and the text to that
    // source (its type stays) and returns appendTo.
    unsigned int addSource(GLenum type, const std::string& text, unsigned int appendTo = newSource);

    // Sets or replaces a define; an empty value writes the name alone.
    void define(const std::string& name, const std::string& value);
    void clearDefines() { defines_.clear(); }
    // Removes every source, define and the selection.
    void clear();
    // The sources that build compiles, in this order; none selected means all.
    void selectSources(const unsigned int* indices, unsigned int count);
    void selectSources(const std::vector<unsigned int>& indices) { selection_ = indices; }

    // The version and define lines every source is compiled after.
    std::string prefix() const;
    const std::vector<Source>& sources() const { return sources_; }

    // Compiles the selected sources and links them. Throws ShaderBuildException
    // with the stage "compilation", "compilation warnings" (strict), "linking"
    // or "link warnings" (strict), the driver's log and the entries of the
    // source that failed (of every selected source for linking); a selected index
    // without a source throws BoundException<unsigned int> before anything is
    // compiled.
    Program build();

private:
    unsigned int addBuffered(GLenum type, unsigned int appendTo, const std::string& entry);
    void emptyLog();

    IncrementalBuffer read_;
    std::ostringstream log_;
    int version_ = 0;
    bool strict_ = false;
    std::vector<Source> sources_;
    std::vector<unsigned int> selection_;
    const Package* package_ = nullptr;
    std::map<std::string, std::string> defines_;
};

} // namespace TAVO::IK::SDLGL
