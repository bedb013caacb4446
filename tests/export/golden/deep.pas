{* Neural network Pascal code created by Nodelyx V2.20
 * Network file name: /home/ann/nets/deep.net
 * Structure:         2/3/2/2/1
 * Date:              Tue Mar  5 09:04:01 2024
 }


unit deep;

interface

{ Not all versions of Delphi ship with the math unit.
  If you are compiling with a version that does support the
  math unit, you should define the MATH symbol in your project.
  Defining MATH will make use of the built in hyperbolic tangent
  function which may increase the speed and accuracy of networks
  that make use of tanh nonlinearity functions.  If you are not
  using tanh nonlinearity functions, defining MATH will have no effect.}
{$IFDEF MATH}
uses math;
{$ENDIF}

const
  NUMINPUTS=2;
  HIDDEN1=3;
  HIDDEN2=2;
  HIDDEN3=2;
  NUMOUTPUTS=1;
  HIDDEN1_INDEX=(NUMINPUTS);
  HIDDEN2_INDEX=(NUMINPUTS+HIDDEN1);
  HIDDEN3_INDEX=(NUMINPUTS+HIDDEN1+HIDDEN2);
  OUTPUT_INDEX=(HIDDEN3_INDEX+HIDDEN3);
  NUMNEURONS=(NUMINPUTS+HIDDEN1+HIDDEN2+HIDDEN3+NUMOUTPUTS);

type
  InputNetworkArray=array[0..NUMINPUTS-1] of double;
  OutputNetworkArray=array[0..NUMOUTPUTS-1] of double;

procedure eval_net(const inputs: InputNetworkArray; var outputs:OutputNetworkArray);

implementation

var
  NEURON:Array[0..NUMNEURONS-1] of double;

{ Weight arrays }
const W_In_H1:array[0..HIDDEN1-1,0..NUMINPUTS] of double = (
 (0.3333333333333333, -12345.678, 2.5e-07),
 (1.1, -1.11, -2),
 (1.2, -1.21, -2.5)
 );
const W_H1_H2:array[0..HIDDEN2-1,0..HIDDEN1] of double = (
 (2, -2.01, 2.02, -2.5),
 (2.1, -2.11, 2.12, -3)
 );
const W_H2_H3:array[0..HIDDEN3-1,0..HIDDEN2] of double = (
 (3, -3.01, -3.5),
 (3.1, -3.11, -4)
 );
const W_H3_Out:array[0..NUMOUTPUTS-1,0..HIDDEN3] of double = (
 (4, -4.01, -4.5)
 );

{ Scale factors }
const R_MIN:array[0..NUMINPUTS+NUMOUTPUTS-1] of double = (
 -3, -3.3333333333333335, -3.6666666666666665
 );
const R_MAX:array[0..NUMINPUTS+NUMOUTPUTS-1] of double = (
 1000000.1, 1000001.1, 1000002.1
 );
const S_MIN:array[0..NUMINPUTS+NUMOUTPUTS-1] of double = (
 -1, -1, 0
 );
const S_MAX:array[0..NUMINPUTS+NUMOUTPUTS-1] of double = (
 1, 1, 1
 );


{ Nonlinearity functions }
function sigmoid( const x:double):double;
begin
 if x < -700.0 then sigmoid:=0.0 else if x > 700.0 then sigmoid:=1.0 else
 sigmoid:=(1.0/(1.0 + exp(-x)));
end;

{$IFDEF MATH}
function ftanh( const x:double):double;
begin
 ftanh:=(tanh(x));
end;
{$ELSE}
function ftanh( const x:double):double;
begin
 if x > 20.0 then ftanh:=1.0 else if x < -20.0 then ftanh:=-1.0 else
 ftanh:=( (exp(x) - exp(-x)) / (exp(x) + exp(-x)) );
end;
{$ENDIF}

function gaussian( const x:double):double;
begin
 if abs(x) > 40.0 then gaussian:=0.0 else
 gaussian:=exp(-x*x/2);
end;

function linear( const x:double):double;
begin
 linear:=x;
end;

{* Compute the network response 
 * Arguments: 
 *   inputs   pointer to (double) array containing the input values 
 *   outputs  pointer to (double) array which receives the results 
 *} 
procedure eval_net(const inputs: InputNetworkArray; var outputs:OutputNetworkArray); 
 var
  i,j:integer;
  F:double;
 begin

 { Zero neuron sums }
 for i:=0 to NUMNEURONS-1 do NEURON[i] := 0.0; 

 { Apply inputs }
 for i:=0 to NUMINPUTS-1 do 
   begin
     F := (S_MAX[i]-S_MIN[i])/(R_MAX[i]-R_MIN[i]); { scale factor }
     NEURON[i] := F * inputs[i] + S_MIN[i] - F * R_MIN[i]; 
   end;

 { Compute hidden layer #1 }
 for i:=0 to HIDDEN1-1 do
   begin
     for j:=0 to NUMINPUTS-1 do
     begin
         NEURON[HIDDEN1_INDEX + i] := NEURON[HIDDEN1_INDEX + i] + NEURON[j]*W_In_H1[i][j]; 
     end;
     NEURON[HIDDEN1_INDEX + i] := NEURON[HIDDEN1_INDEX + i] + W_In_H1[i][NUMINPUTS]; { BIAS }
     NEURON[HIDDEN1_INDEX + i] := ftanh( NEURON[HIDDEN1_INDEX + i] ); 
   end;

 { Compute hidden layer #2 }
 for i:=0 to HIDDEN2-1 do
   begin
     for j:=0 to HIDDEN1-1 do
     begin
         NEURON[HIDDEN2_INDEX + i] := NEURON[HIDDEN2_INDEX + i] + NEURON[HIDDEN1_INDEX + j]*W_H1_H2[i][j]; 
     end;
     NEURON[HIDDEN2_INDEX + i] := NEURON[HIDDEN2_INDEX + i] + W_H1_H2[i][HIDDEN1]; { BIAS } 
     NEURON[HIDDEN2_INDEX + i] := linear( NEURON[HIDDEN2_INDEX + i] ); 
   end;

 { Compute hidden layer #3 }
 for i:=0 to HIDDEN3-1 do
   begin
     for j:=0 to HIDDEN2-1 do
     begin
         NEURON[HIDDEN3_INDEX + i] := NEURON[HIDDEN3_INDEX + i] + NEURON[HIDDEN2_INDEX + j]*W_H2_H3[i][j]; 
     end;
     NEURON[HIDDEN3_INDEX + i] := NEURON[HIDDEN3_INDEX + i] + W_H2_H3[i][HIDDEN2]; { BIAS } 
     NEURON[HIDDEN3_INDEX + i] := gaussian( NEURON[HIDDEN3_INDEX + i] ); 
   end;

 { Compute network outputs }
 for i:=0 to NUMOUTPUTS-1 do
   begin
     for j:=0 to HIDDEN3-1 do
     begin 
          NEURON[OUTPUT_INDEX + i] := NEURON[OUTPUT_INDEX + i] + NEURON[HIDDEN3_INDEX + j]*W_H3_Out[i][j]; 
     end;
     NEURON[OUTPUT_INDEX + i] := NEURON[OUTPUT_INDEX + i] + W_H3_Out[i][HIDDEN3]; { BIAS }
     NEURON[OUTPUT_INDEX + i] := sigmoid( NEURON[OUTPUT_INDEX + i] ); 
   end;

 { Copy outputs to output array } 
 for i:=0 to NUMOUTPUTS-1 do
   begin
     F := (R_MAX[i+NUMINPUTS]-R_MIN[i+NUMINPUTS])/(S_MAX[i+NUMINPUTS]-S_MIN[i+NUMINPUTS]); { unscale factor }
     outputs[i] := F * NEURON[OUTPUT_INDEX + i] + R_MIN[i+NUMINPUTS] - F * S_MIN[i+NUMINPUTS]; 
   end;

 end;
end.