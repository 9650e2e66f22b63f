# Tells whether every test that failed in the last ctest run of a build
# folder passed and then lost only LeakSanitizer's leak check at exit: its
# helper thread, which stops the other threads to scan their memory, now and
# then crashes under load ("Tracer caught signal 11", "LeakSanitizer has
# encountered a fatal error"). That is a fault of the sanitizer's runtime,
# not a finding about the test; a test that failed in any other way, or that
# reported leaks, is never excused.
#
#   leak_check_crashes.py BUILD_DIR   exit 0 when every failure is such a
#                                     crash (the names are printed), else 1
import os, re, sys

PASSED = '[  PASSED  ] 1 test.'
CRASHED = ('Tracer caught signal', 'LeakSanitizer has encountered a fatal error')
REPORTED = ('ERROR: AddressSanitizer', 'ERROR: LeakSanitizer', 'runtime error:')


def outputs(log):
    """The output of each test of a LastTest.log, by test name."""
    found = {}
    for match in re.finditer(r'^\d+/\d+ Test: (.+?)\n.*?^Output:\n-+\n(.*?)^<end of output>', log,
                             re.MULTILINE | re.DOTALL):
        found[match.group(1)] = match.group(2)
    return found


def main(build):
    folder = os.path.join(build, 'Testing', 'Temporary')
    try:
        with open(os.path.join(folder, 'LastTestsFailed.log'), encoding='utf-8', errors='replace') as f:
            failed = [line.split(':', 1)[1].strip() for line in f if ':' in line]
        with open(os.path.join(folder, 'LastTest.log'), encoding='utf-8', errors='replace') as f:
            log = outputs(f.read())
    except OSError as e:
        print('No test log to look at: %s' % e)
        return 1
    if not failed:
        return 1
    for name in failed:
        output = log.get(name)
        if output is None or PASSED not in output or not all(c in output for c in CRASHED) or \
                any(r in output for r in REPORTED):
            return 1
    for name in failed:
        print('  %s passed; the leak check at its exit crashed' % name)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1]) if len(sys.argv) == 2 else 2)
