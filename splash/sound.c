#define _POSIX_C_SOURCE 200809L

#include "splash/sound.h"

#include <fcntl.h>
#include <pulse/simple.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

/* Frames written per step: between steps the thread looks for the stop request. */
enum
{
    STEP_MS = 20,
    BUFFER_MS = 100
};

int splash_file_exists(const char* path)
{
    struct stat st;
    return stat(path, &st) == 0 && !S_ISDIR(st.st_mode);
}

static void* play(void* argument)
{
    struct splash_sound* sound = argument;
    const pa_sample_spec sample_format = {PA_SAMPLE_S16NE, (uint32_t)sound->info.samplerate,
                                          (uint8_t)sound->info.channels};
    const size_t frame_bytes = pa_frame_size(&sample_format);
    const uint32_t buffer_bytes = (uint32_t)(pa_usec_to_bytes(BUFFER_MS * 1000, &sample_format));
    const pa_buffer_attr attributes = {(uint32_t)-1, buffer_bytes, (uint32_t)-1, (uint32_t)-1,
                                       (uint32_t)-1};
    pa_simple* stream = pa_simple_new(NULL, "splashwin", PA_STREAM_PLAYBACK, NULL, "splash",
                                      &sample_format, NULL, &attributes, NULL);
    if (stream) {
        const sf_count_t step = (sf_count_t)sound->info.samplerate * STEP_MS / 1000 + 1;
        short samples[(48000 * STEP_MS / 1000 + 1) * 2];
        short* buffer = samples;
        short* allocated = NULL;
        if ((size_t)(step * sound->info.channels) > sizeof samples / sizeof *samples) {
            allocated = malloc((size_t)(step * sound->info.channels) * sizeof *allocated);
            buffer = allocated;
        }
        int failed = buffer == NULL;
        while (!failed && !atomic_load(&sound->stop)) {
            const sf_count_t frames = sf_readf_short(sound->file, buffer, step);
            if (frames <= 0)
                break;
            failed = pa_simple_write(stream, buffer, (size_t)frames * frame_bytes, NULL) < 0;
        }
        if (atomic_load(&sound->stop) || failed)
            pa_simple_flush(stream, NULL);
        else
            pa_simple_drain(stream, NULL);
        pa_simple_free(stream);
        free(allocated);
    }
    return NULL;
}

int splash_sound_start(struct splash_sound* sound, const char* path)
{
    memset(&sound->info, 0, sizeof sound->info);
    atomic_store(&sound->stop, 0);
    sound->started = 0;
    /* Only a regular file: a named pipe would block the splash for ever in the open. */
    const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st;
    if (fd < 0)
        return 0;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return 0;
    }
    sound->file = sf_open_fd(fd, SFM_READ, &sound->info, SF_TRUE);
    if (!sound->file)
        return 0;
    const pa_sample_spec sample_format = {PA_SAMPLE_S16NE, (uint32_t)sound->info.samplerate,
                                          (uint8_t)sound->info.channels};
    if (sound->info.channels <= 0 || sound->info.channels > (int)PA_CHANNELS_MAX ||
        sound->info.samplerate <= 0 || !pa_sample_spec_valid(&sample_format) ||
        pthread_create(&sound->thread, NULL, play, sound) != 0) {
        sf_close(sound->file);
        sound->file = NULL;
        return 0;
    }
    sound->started = 1;
    return 1;
}

void splash_sound_stop(struct splash_sound* sound)
{
    if (!sound->started)
        return;
    atomic_store(&sound->stop, 1);
    pthread_join(sound->thread, NULL);
    sf_close(sound->file);
    sound->file = NULL;
    sound->started = 0;
}
