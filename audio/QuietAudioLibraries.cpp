#include "audio/QuietAudioLibraries.h"

#include <alsa/asoundlib.h>
#if defined(VANTORREL_HAVE_JACK)
#include <jack/jack.h>
#endif

namespace {

void ignoreAlsa(const char*, int, const char*, int, const char*, ...) {}

#if defined(VANTORREL_HAVE_JACK)
void ignoreJack(const char*) {}
#endif

} // namespace

void quietAudioLibraries()
{
    snd_lib_error_set_handler(&ignoreAlsa);
#if defined(VANTORREL_HAVE_JACK)
    jack_set_error_function(&ignoreJack);
    jack_set_info_function(&ignoreJack);
#endif
}
