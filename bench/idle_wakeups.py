"""Context switches per second of an idle Wine process, per thread, over 10 s.
Run: tools/xvfb-session python3 bench/idle_wakeups.py build/bundle peer|demo|notepad"""
import os, socket, struct, subprocess, sys, threading, time
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
bundle, mode = sys.argv[1], sys.argv[2]
env = dict(os.environ)
if mode == 'peer':
    lst = socket.socket(); lst.bind(('127.0.0.1', 0)); lst.listen(1); lst.settimeout(60)
    env['MURMURLY_DART_PEER'] = '127.0.0.1:%d' % lst.getsockname()[1]
cmd = ['c:\\windows\\system32\\notepad.exe'] if mode == 'notepad' else ['murmurly.exe']
proc = subprocess.Popen([ROOT + '/tools/wine-run'] + cmd, cwd=bundle, env=env,
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
if mode == 'peer':
    s, _ = lst.accept()
    visible = threading.Event()
    def serve():
        buf = b''
        while True:
            chunk = s.recv(1 << 16)
            if not chunk: return
            buf += chunk
            while len(buf) >= 4:
                (n,) = struct.unpack_from('<I', buf)
                if len(buf) < 4 + n: break
                body = buf[4:4 + n]; buf = buf[4 + n:]
                if body[0] == 1:
                    (mid,) = struct.unpack_from('<I', body, 1)
                    if mid: s.sendall(struct.pack('<IBI', 5, 2, mid))
                if body[0] == 3 and body[1:] == b'top-level-visible': visible.set()
    threading.Thread(target=serve, daemon=True).start()
    visible.wait(60)
time.sleep(8)
def sample():
    out = {}
    for tid in os.listdir('/proc/%d/task' % proc.pid):
        try:
            comm = open('/proc/%d/task/%s/comm' % (proc.pid, tid)).read().strip()
            st = open('/proc/%d/task/%s/status' % (proc.pid, tid)).read()
        except OSError:
            continue
        v = int(st.split('voluntary_ctxt_switches:')[1].split()[0])
        nv = int(st.split('nonvoluntary_ctxt_switches:')[1].split()[0])
        out[tid] = (comm, v + nv)
    return out
print('process', open('/proc/%d/cmdline' % proc.pid).read().replace('\0', ' ')[:80])
a = sample(); time.sleep(10); b = sample()
total = 0
for tid, (comm, n) in sorted(b.items(), key=lambda kv: int(kv[0])):
    d = n - a.get(tid, (comm, 0))[1]; total += d
    if d: print('  thread %s%s %-16s %6.1f /s' % (tid, ' (main)' if int(tid) == proc.pid else '', comm, d / 10))
print('%s: %.1f context switches per second (%d threads)' % (mode, total / 10, len(b)))
proc.kill(); proc.wait()
