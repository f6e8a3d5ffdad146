#pragma once
// The three-node cluster of the cluster tests (scripts/cluster.sh), kept in the folder that
// SENDORA_TEST_CLUSTER_DIR names (the test command sets it and stops the cluster at the end).
// Started once; later tests reuse it and bring back nodes an earlier test killed.

#include <QString>
#include <QStringList>

namespace testdb {

class Cluster {
 public:
  // Starts the cluster or brings it back to three synced nodes; fails the test if it cannot.
  static Cluster& Up();

  int Port(int node) const { return m_ports[node - 1]; }  // node 1..3
  // "127.0.0.1:p1,127.0.0.1:p2,127.0.0.1:p3", starting at the given node.
  QString HostList(int first = 1) const;
  // Root statements on a node, over its socket.
  void Exec(int node, const QString& sql);
  QString Value(int node, const QString& sql);
  // SIGKILL, SIGSTOP, SIGCONT of a node's server process.
  void Signal(int node, int signal);
  // Waits until the node answers and reports the expected cluster size from its side.
  bool WaitSynced(int node, int size, int timeoutMs = 60000);
  void StartNode(int node);
  const QString& Dir() const { return m_dir; }

 private:
  Cluster() = default;
  QString Run(const QStringList& args);
  QString m_dir;
  int m_ports[3] = {0, 0, 0};
};

}  // namespace testdb
