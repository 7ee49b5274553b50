/* The runtime plays Amiga modules through libxmp's ordinary mixers and never
   asks for the Amiga 500 filter simulation (XMP_FLAGS_A500 is never set).
   libxmp's own simulation is not built; these stand in for its entry points:
   the per-voice state stays as allocated (zeroed), and the A500 mixers, which
   the player selects only with that flag, mix as the linear ones do. */
#include "common.h"
#include "paula.h"

#define MIX_ARGS struct mixer_voice *vi, int32 *buffer, int count, int vl, int vr, int step, int ramp, \
                 int delta_l, int delta_r
#define MIX_FN(x) void libxmp_mix_##x(MIX_ARGS)
#define MIX_CALL(x) libxmp_mix_##x(vi, buffer, count, vl, vr, step, ramp, delta_l, delta_r)

MIX_FN(mono_8bit_linear);
MIX_FN(stereo_8bit_linear);

void libxmp_paula_init(struct context_data *ctx, struct paula_state *paula)
{
    (void)ctx;
    (void)paula;
}

MIX_FN(mono_a500) { MIX_CALL(mono_8bit_linear); }
MIX_FN(mono_a500_filter) { MIX_CALL(mono_8bit_linear); }
MIX_FN(stereo_a500) { MIX_CALL(stereo_8bit_linear); }
MIX_FN(stereo_a500_filter) { MIX_CALL(stereo_8bit_linear); }
