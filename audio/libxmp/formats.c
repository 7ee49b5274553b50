/* The module formats this runtime plays through libxmp: the loader table
   that libxmp's player looks formats up in, limited to MOD, S3M, XM and IT
   (the rest of libxmp's loaders are not built). */
#include "format.h"

extern const struct format_loader libxmp_loader_xm;
extern const struct format_loader libxmp_loader_mod;
extern const struct format_loader libxmp_loader_it;
extern const struct format_loader libxmp_loader_s3m;

const struct format_loader *const format_loaders[5] = {
    &libxmp_loader_xm, &libxmp_loader_mod, &libxmp_loader_it, &libxmp_loader_s3m, NULL};

static const char *format_names[5];

const char *const *format_list(void)
{
    int i;
    if (format_names[0] == NULL)
        for (i = 0; format_loaders[i] != NULL; i++) format_names[i] = format_loaders[i]->name;
    return format_names;
}
