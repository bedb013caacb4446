/* Neural network C code created by Nodelyx V2.20
 * Network file name: /home/ann/nets/deep.net
 * Structure:         2/3/2/2/1
 * Date:              Tue Mar  5 09:04:01 2024
 */


#include <math.h>
#include <stdlib.h>

#define INPUTS    2
#define HIDDEN1   3
#define HIDDEN2   2
#define HIDDEN3   2
#define OUTPUTS   1

#define HIDDEN1_INDEX  (INPUTS) 
#define HIDDEN2_INDEX  (INPUTS+HIDDEN1) 
#define HIDDEN3_INDEX  (INPUTS+HIDDEN1+HIDDEN2) 
#define OUTPUT_INDEX   (HIDDEN3_INDEX+HIDDEN3)

#define NUMNEURONS  (INPUTS+HIDDEN1+HIDDEN2+HIDDEN3+OUTPUTS)
static double NEURON[NUMNEURONS];

/* Weight arrays */
static const double W_In_H1[HIDDEN1][INPUTS+1] = {
 0.3333333333333333, -12345.678, 2.5e-07,
 1.1, -1.11, -2,
 1.2, -1.21, -2.5
 };
static const double W_H1_H2[HIDDEN2][HIDDEN1+1] = {
 2, -2.01, 2.02, -2.5,
 2.1, -2.11, 2.12, -3
 };
static const double W_H2_H3[HIDDEN3][HIDDEN2+1] = {
 3, -3.01, -3.5,
 3.1, -3.11, -4
 };
static const double W_H3_Out[OUTPUTS][HIDDEN3+1] = {
 4, -4.01, -4.5
 };

/* Scale factors */
static const double R_MIN[INPUTS+OUTPUTS] = {
 -3, -3.3333333333333335, -3.6666666666666665
 };
static const double R_MAX[INPUTS+OUTPUTS] = {
 1000000.1, 1000001.1, 1000002.1
 };
static const double S_MIN[INPUTS+OUTPUTS] = {
 -1, -1, 0
 };
static const double S_MAX[INPUTS+OUTPUTS] = {
 1, 1, 1
 };


/* Nonlinearity functions */
static double sigmoid( double x ) { return(1.0/(1.0 + exp(-x))); }
static double ftanh( double x ) { return tanh( x ); }
static double gaussian( double x ) { return exp( -x*x/2 ); }
static double linear( double x ) { return x; }

/* Compute the network response 
 * Arguments: 
 *   inputs   pointer to (double) array containing the input values 
 *   outputs  pointer to (double) array which receives the results 
 * Return: 
 *   NonZero (1) if successful, 0 if not. 
 */ 
int eval_net(const double * inputs, double * outputs) 
{ 
 double F; 
 int i,j; 

 /* Check for invalid arguments */ 
 if (inputs == NULL || outputs == NULL) 
     return 0; 

 /* Zero neuron sums */ 
 for (i=0;i<NUMNEURONS;i++) 
     NEURON[i] = 0.0; 

 /* Apply inputs */
 for (i=0;i<INPUTS;i++) 
 {
     F = (S_MAX[i]-S_MIN[i])/(R_MAX[i]-R_MIN[i]); /* scale factor */
     NEURON[i] = F * inputs[i] + S_MIN[i] - F * R_MIN[i]; 
 }

 /* Compute hidden layer #1 */
 for (i=0;i<HIDDEN1;i++) 
 {
     for (j=0;j<INPUTS;j++) 
     {
         NEURON[HIDDEN1_INDEX + i] += NEURON[j]*W_In_H1[i][j]; 
     }
     NEURON[HIDDEN1_INDEX + i] += W_In_H1[i][INPUTS]; /* BIAS */
     NEURON[HIDDEN1_INDEX + i] = ftanh( NEURON[HIDDEN1_INDEX + i] ); 
 }

 /* Compute hidden layer #2 */
 for (i=0;i<HIDDEN2;i++) 
 {
     for (j=0;j<HIDDEN1;j++) 
     {
         NEURON[HIDDEN2_INDEX + i] += NEURON[HIDDEN1_INDEX + j]*W_H1_H2[i][j]; 
     }
     NEURON[HIDDEN2_INDEX + i] += W_H1_H2[i][HIDDEN1]; /* BIAS */ 
     NEURON[HIDDEN2_INDEX + i] = linear( NEURON[HIDDEN2_INDEX + i] ); 
 }

 /* Compute hidden layer #3 */
 for (i=0;i<HIDDEN3;i++) 
 {
     for (j=0;j<HIDDEN2;j++) 
     {
         NEURON[HIDDEN3_INDEX + i] += NEURON[HIDDEN2_INDEX + j]*W_H2_H3[i][j]; 
     }
     NEURON[HIDDEN3_INDEX + i] += W_H2_H3[i][HIDDEN2]; /* BIAS */ 
     NEURON[HIDDEN3_INDEX + i] = gaussian( NEURON[HIDDEN3_INDEX + i] ); 
 }

 /* Compute network outputs */
 for (i=0;i<OUTPUTS;i++) 
 {
     for (j=0;j<HIDDEN3;j++) 
     { 
          NEURON[OUTPUT_INDEX + i] += NEURON[HIDDEN3_INDEX + j]*W_H3_Out[i][j]; 
     }
     NEURON[OUTPUT_INDEX + i] += W_H3_Out[i][HIDDEN3]; /* BIAS */
     NEURON[OUTPUT_INDEX + i] = sigmoid( NEURON[OUTPUT_INDEX + i] ); 
 }

 /* Copy outputs to output array */ 
 for (i=0;i<OUTPUTS;i++) 
 {
     F = (R_MAX[i+INPUTS]-R_MIN[i+INPUTS])/(S_MAX[i+INPUTS]-S_MIN[i+INPUTS]); /* unscale factor */
     outputs[i] = F * NEURON[OUTPUT_INDEX + i] + R_MIN[i+INPUTS] - F * S_MIN[i+INPUTS]; 
 }

 return 1; 
 }