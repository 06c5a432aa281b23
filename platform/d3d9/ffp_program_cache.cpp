#include "platform/d3d9/ffp_program_cache.h"

#include <cstdio>
#include <cstring>

namespace d3d9gl {
namespace {

GLuint compile(GLenum type, const std::string& source)
{
    GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        // A generator fault: say so loudly, the draw is then dropped.
        std::fprintf(stderr, "d3d9: fixed-function shader failed to compile:\n%s\n%s\n", log, text);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

size_t FfpKeyHash::operator()(const FfpKey& key) const
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(&key);
    size_t hash = 1469598103934665603ull;
    for (size_t i = 0; i < sizeof key; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

bool FfpKeyEqual::operator()(const FfpKey& a, const FfpKey& b) const { return std::memcmp(&a, &b, sizeof a) == 0; }

FfpProgramCache::~FfpProgramCache()
{
    // The device clears the cache with its context current; programs left
    // here belong to a context that is already gone.
    programs_.clear();
}

void FfpProgramCache::clear()
{
    for (auto& entry : programs_) glDeleteProgram(entry.second->program);
    programs_.clear();
}

FfpProgram* FfpProgramCache::get(const FfpKey& key)
{
    auto found = programs_.find(key);
    if (found != programs_.end()) return found->second.get();

    const GLuint vs = compile(GL_VERTEX_SHADER, ffpVertexShader(key));
    const GLuint fs = compile(GL_FRAGMENT_SHADER, ffpFragmentShader(key));
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        if (fs) glDeleteShader(fs);
        return nullptr;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        std::fprintf(stderr, "d3d9: fixed-function program failed to link:\n%s\n", log);
        glDeleteProgram(program);
        return nullptr;
    }

    auto entry = std::make_unique<FfpProgram>();
    FfpProgram& p = *entry;
    p.program = program;
    auto at = [program](const char* name) { return glGetUniformLocation(program, name); };
    p.worldView = at("u_worldView");
    p.normalMatrix = at("u_normalMatrix");
    p.projection = at("u_projection");
    p.pixelOffset = at("u_pixelOffset");
    p.viewportRect = at("u_viewportRect");
    p.texMatrix = at("u_texMatrix");
    p.globalAmbient = at("u_globalAmbient");
    p.matDiffuse = at("u_matDiffuse");
    p.matAmbient = at("u_matAmbient");
    p.matSpecular = at("u_matSpecular");
    p.matEmissive = at("u_matEmissive");
    p.matPower = at("u_matPower");
    p.lightDiffuse = at("u_lightDiffuse");
    p.lightSpecular = at("u_lightSpecular");
    p.lightAmbient = at("u_lightAmbient");
    p.lightPosition = at("u_lightPosition");
    p.lightDirection = at("u_lightDirection");
    p.lightAttenuation = at("u_lightAttenuation");
    p.lightSpot = at("u_lightSpot");
    p.textureFactor = at("u_textureFactor");
    p.alphaRef = at("u_alphaRef");
    p.fogColor = at("u_fogColor");
    p.fogParams = at("u_fogParams");
    glUseProgram(program);
    for (int i = 0; i < 8; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "u_sampler%d", i);
        const GLint location = at(name);
        if (location >= 0) glUniform1i(location, i);
    }
    FfpProgram* result = entry.get();
    programs_.emplace(key, std::move(entry));
    return result;
}

}  // namespace d3d9gl
