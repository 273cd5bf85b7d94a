/* Preloaded into the program in the sanitizer build's end-to-end run only.
 * Libraries that are unloaded before the process ends (the GL driver goes
 * when the last window closes) leave LeakSanitizer with allocations it can
 * no longer name, so no suppression can match them. Keeping every library
 * loaded until exit lets the reports name their modules. */
int dlclose(void *handle)
{
    (void)handle;
    return 0;
}
