#!/usr/bin/env python3
"""The layer check on small planted trees: it must pass a tree that keeps its
layers and fail each kind of wrong-way include."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
CHECK = os.path.join(ROOT, 'tools', 'check_layers.py')


class LayerCheck(unittest.TestCase):
    def setUp(self):
        self.tree = tempfile.mkdtemp(prefix='fv-layers-')
        os.makedirs(os.path.join(self.tree, 'cmake'))
        shutil.copy(os.path.join(ROOT, 'cmake', 'layers.txt'), os.path.join(self.tree, 'cmake'))
        self.write('base/log.h', '#pragma once\n')
        self.write('engine/worker.cpp', '#include "engine/worker.h"\n#include "base/log.h"\n')
        self.write('doc/document.cpp', '#include "engine/worker.h"\n#include "pdf/reader.h"\n')
        self.write('app/main.cpp', '#include "view/page_view.h"\n#include "doc/document.h"\n')
        self.write('tests/doc/document_test.cpp', '#include "doc/document.h"\n#include "tests/engine/fake.h"\n')

    def tearDown(self):
        shutil.rmtree(self.tree)

    def write(self, path, text):
        full = os.path.join(self.tree, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, 'a', encoding='utf-8') as f:
            f.write(text)

    def run_check(self):
        return subprocess.run([sys.executable, CHECK, self.tree], capture_output=True, text=True)

    def test_a_tree_that_keeps_its_layers_passes(self):
        result = self.run_check()
        self.assertEqual(result.returncode, 0, result.stdout)

    def test_wrong_way_includes_fail(self):
        planted = {
            'engine/render.cpp': '#include "app/app_state.h"\n',         # up two layers
            'doc/open.cpp': '#include "view/page_view.h"\n',             # up one layer
            'ui/prompt.cpp': '#include "doc/document.h"\n',              # a sibling on the same level
            'pdf/reader.cpp': '  #  include "engine/inflate.h"\n',       # a sibling, written loosely
            'tests/engine/worker_test.cpp': '#include "tests/doc/x.h"\n',  # tests keep the layers too
        }
        for path, text in planted.items():
            with self.subTest(path=path):
                self.write(path, text)
                result = self.run_check()
                self.assertEqual(result.returncode, 1, result.stdout)
                self.assertIn(path, result.stdout)
                os.remove(os.path.join(self.tree, path))
        self.assertEqual(self.run_check().returncode, 0)

    def test_an_unknown_folder_fails(self):
        self.write('view/page_view.cpp', '#include "widgets/button.h"\n')
        result = self.run_check()
        self.assertEqual(result.returncode, 1, result.stdout)


if __name__ == '__main__':
    unittest.main()
