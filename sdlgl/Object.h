#pragma once

#include <GL/glew.h>

#include <cstdint>

#include "foundation/exceptions/AllocateException.h"
#include "sdlgl/Checks.h"

namespace TAVO::IK::SDLGL {

// The holder of one OpenGL object name of a resource kind. Wrappers own it
// through a shared pointer, so copies of a wrapper share the GL object and the
// last one deletes it.
//
// A resource kind supplies:
//   static void generate(GLuint& name);   // glGen... of one name
//   static void release(GLuint name);     // glDelete... of it
//   static const char* displayName();     // for the allocation failure
template <class Resource>
class Object {
public:
    // Generates a name. Without a current context throws UninitializedException
    // "OpenGL context"; a GL error throws GLException; a name of 0 throws
    // AllocateException with the resource's display name.
    Object() : context_(currentContext()) {
        checkContext();
        Resource::generate(name_);
        try {
            checkGLError();
        } catch (...) {
            if (name_ != 0)
                Resource::release(name_);
            throw;
        }
        if (name_ == 0)
            throw AllocateException(SourceLocation(), Resource::displayName());
    }

    // Deletes the object while its context is current; once the context is
    // gone, so are its objects, and another context's object of the same
    // name must not be touched.
    ~Object() {
        if (name_ != 0 && currentContext() == context_)
            Resource::release(name_);
    }

    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    GLuint name() const { return name_; }

private:
    std::uint64_t context_;
    GLuint name_ = 0;
};

} // namespace TAVO::IK::SDLGL
