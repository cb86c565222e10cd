/* kefo: fault-tree analysis engine.
 *
 * A host calls KEFO_EvalScript with the path of a script file. The library
 * reads the whole script, runs its commands, writes its reports into files,
 * its progress lines on the standard output and its diagnostics on the
 * standard error, and returns the number of errors raised (0 on success,
 * 1 after running out of memory or an internal fault).
 *
 * Two evaluations must not run at the same time in one process. */
#ifndef KEFO_H
#define KEFO_H

#ifdef __cplusplus
extern "C" {
#endif

__attribute__((visibility("default"))) int KEFO_EvalScript(char* path);

#ifdef __cplusplus
}
#endif

#endif
