#!/usr/bin/env python3
"""End-to-end flows of the real program under Xvfb. Each flow starts the
program in a fresh scratch folder; a failing flow prints why and keeps its
screenshots in the folder it names."""
import argparse
import importlib
import os
import shutil
import subprocess
import sys
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import Session  # noqa: E402

def collect_flows():
    """Every function named flow_* in the modules flows_*.py beside this file."""
    here = os.path.dirname(os.path.abspath(__file__))
    flows = []
    for name in sorted(os.listdir(here)):
        if name.startswith('flows_') and name.endswith('.py'):
            module = importlib.import_module(name[:-3])
            flows += [getattr(module, f) for f in dir(module) if f.startswith('flow_')]
    return flows


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--bin', required=True)
    parser.add_argument('--assets', required=True)
    parser.add_argument('--only', default='')
    args = parser.parse_args()
    for tool in ('Xvfb', 'xdotool', 'import', 'xdpyinfo'):
        if not shutil.which(tool):
            print('e2e skipped: %s is not installed' % tool)
            return 77
    failed = 0
    for flow in collect_flows():
        if args.only and args.only not in flow.__name__:
            continue
        s = Session(args.bin, args.assets)
        try:
            flow(s, args.bin)
            print('PASS %s' % flow.__name__)
            s.close()
        except Exception:
            failed += 1
            print('FAIL %s (screenshots and files kept in %s)' % (flow.__name__, s.root))
            traceback.print_exc()
            try:
                s.screenshot(os.path.join(s.root, 'failure.png'))
            except Exception:
                pass
            s.close(keep=True)
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
