/* Loaded with LD_PRELOAD into the real service for tests: makes every read
 * lease fail as a share or a mount would make it fail, and, when asked, makes
 * every folder look like a network file system.
 *   CRATEMARK_TEST_LEASE_ERRNO   "EAGAIN" (oplocks off) or "EINVAL" (NFSv3)
 *   CRATEMARK_TEST_FS_MAGIC      statfs's f_type to report (0xFF534D42: cifs)
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/statfs.h>

static int LeaseErrno(void) {
  const char* name = getenv("CRATEMARK_TEST_LEASE_ERRNO");
  if (!name) return 0;
  if (strcmp(name, "EAGAIN") == 0) return EAGAIN;
  if (strcmp(name, "EINVAL") == 0) return EINVAL;
  return 0;
}

typedef int (*FcntlFunction)(int, int, ...);

static int Fcntl(const char* symbol, int fd, int cmd, void* arg) {
  if (cmd == F_SETLEASE && (long)arg == F_RDLCK && LeaseErrno() != 0) {
    errno = LeaseErrno();
    return -1;
  }
  FcntlFunction real = (FcntlFunction)dlsym(RTLD_NEXT, symbol);
  return real(fd, cmd, arg);
}

/* Every fcntl the service makes passes an int or a pointer as its third
 * argument; both fit in a pointer. */
int fcntl(int fd, int cmd, ...) {
  va_list args;
  va_start(args, cmd);
  void* arg = va_arg(args, void*);
  va_end(args);
  return Fcntl("fcntl", fd, cmd, arg);
}

int fcntl64(int fd, int cmd, ...) {
  va_list args;
  va_start(args, cmd);
  void* arg = va_arg(args, void*);
  va_end(args);
  return Fcntl("fcntl64", fd, cmd, arg);
}

typedef int (*StatfsFunction)(const char*, struct statfs*);
typedef int (*Statfs64Function)(const char*, struct statfs64*);

/* The file system type asked for, in place of `type`. */
static void Retype(__fsword_t* type) {
  const char* magic = getenv("CRATEMARK_TEST_FS_MAGIC");
  if (magic) *type = (__fsword_t)strtoul(magic, NULL, 0);
}

int statfs(const char* path, struct statfs* info) {
  StatfsFunction real = (StatfsFunction)dlsym(RTLD_NEXT, "statfs");
  const int result = real(path, info);
  if (result == 0) Retype(&info->f_type);
  return result;
}

int statfs64(const char* path, struct statfs64* info) {
  Statfs64Function real = (Statfs64Function)dlsym(RTLD_NEXT, "statfs64");
  const int result = real(path, info);
  if (result == 0) Retype(&info->f_type);
  return result;
}
