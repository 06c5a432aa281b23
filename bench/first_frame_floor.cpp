// The least any SDL + OpenGL 3.3 program does before its first frame: start
// SDL's video, show a window of the game's size, make a context, clear, swap
// and wait for the frame. bench_game.sh launches it beside the game so that
// the game's start-up can be read against what the machine's display and GL
// driver cost before a program does anything of its own.
//
//   first_frame_floor REPORT
// writes "presented MICROSECONDS" (wall clock, since the epoch) to REPORT.
#include <SDL.h>
#include <epoxy/gl.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s REPORT\n", argv[0]);
        return 2;
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "first_frame_floor: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_Window* window = SDL_CreateWindow("Start-up floor", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 500, 375,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (context == nullptr) {
        std::fprintf(stderr, "first_frame_floor: %s\n", SDL_GetError());
        if (window) SDL_DestroyWindow(window);
        SDL_Quit();
        return 1;
    }
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SDL_GL_SwapWindow(window);
    glFinish();
    const long long presented =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();

    int status = 0;
    if (FILE* report = std::fopen(argv[1], "w")) {
        std::fprintf(report, "presented %lld\n", presented);
        if (std::fclose(report) != 0) status = 1;
    } else {
        status = 1;
    }
    if (status != 0) std::fprintf(stderr, "first_frame_floor: cannot write %s\n", argv[1]);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return status;
}
