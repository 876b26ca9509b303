#ifndef SPLASH_SOUND_H
#define SPLASH_SOUND_H

#include <pthread.h>
#include <sndfile.h>
#include <stdatomic.h>

/* One wave file playing once on a thread of its own through the sound server. */
struct splash_sound
{
    pthread_t thread;
    SNDFILE* file;
    SF_INFO info;
    atomic_int stop;
    int started;
};

/* Whether `path` names something that exists and is not a folder. */
int splash_file_exists(const char* path);

/* Starts playing `path` and returns at once. Returns 1 when playback started, 0 when the
   file is no sound the program can decode or the thread could not start. */
int splash_sound_start(struct splash_sound* sound, const char* path);

/* Cuts a started sound short and waits until its thread has let go of the sound server. */
void splash_sound_stop(struct splash_sound* sound);

#endif
