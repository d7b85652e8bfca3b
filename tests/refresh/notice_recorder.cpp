// A stand-in notification service on a private session bus
// (dbus-run-session): owns org.freedesktop.Notifications, records each Notify
// call, and runs one command meanwhile, ending with its status.
//   notice_recorder RECORD answer|silent PROGRAM [ARGUMENT...]
// RECORD gets one line per call: "app<TAB>icon<TAB>summary<TAB>body", the
// body's line breaks as "\n". "silent" takes the calls and never answers.
#include <poll.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool gAnswer = true;
std::FILE* gRecord = nullptr;

int Notify(sd_bus_message* call, void*, sd_bus_error*) {
  const char *app, *icon, *summary, *body;
  uint32_t replaces = 0;
  if (sd_bus_message_read(call, "susss", &app, &replaces, &icon, &summary, &body) < 0) return -EINVAL;
  std::string flat;
  for (const char* c = body; *c; ++c) flat += *c == '\n' ? std::string("\\n") : std::string(1, *c);
  std::fprintf(gRecord, "%s\t%s\t%s\t%s\n", app, icon, summary, flat.c_str());
  std::fflush(gRecord);
  if (!gAnswer) return 1;  // taken, and left unanswered
  return sd_bus_reply_method_return(call, "u", 1u);
}

const sd_bus_vtable kVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Notify", "susssasa{sv}i", "u", Notify, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 64;
  gRecord = std::fopen(argv[1], "w");
  gAnswer = std::strcmp(argv[2], "answer") == 0;
  sd_bus* bus = nullptr;
  if (!gRecord || sd_bus_open_user(&bus) < 0 ||
      sd_bus_add_object_vtable(bus, nullptr, "/org/freedesktop/Notifications",
                               "org.freedesktop.Notifications", kVtable, nullptr) < 0 ||
      sd_bus_request_name(bus, "org.freedesktop.Notifications", 0) < 0) {
    std::perror("notice_recorder");
    return 70;
  }
  const pid_t child = ::fork();
  if (child == 0) {
    ::execv(argv[3], argv + 3);
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(child, &status, WNOHANG) == 0) {
    if (sd_bus_process(bus, nullptr) > 0) continue;
    sd_bus_wait(bus, 20000);  // 20 ms, to see the command end
  }
  sd_bus_flush_close_unref(bus);
  std::fclose(gRecord);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
